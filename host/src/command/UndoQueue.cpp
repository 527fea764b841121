#include "command/UndoQueue.h"

namespace khost {

UndoQueue& UndoQueue::instance() {
    static UndoQueue queue;
    return queue;
}

void UndoQueue::record(const std::string& name, UndoRecord&& record, bool toQueue) {
    if (!fCaptures.empty()) {
        fCaptures.back()->append(std::move(record));
        return;
    }
    if (!toQueue || record.empty())
        return;
    fUndone.clear();
    fDone.push_back({name, std::make_shared<UndoRecord>(std::move(record))});
}

MStatus UndoQueue::undo(std::string* name) {
    if (fDone.empty())
        return MS::kFailure;
    Entry entry = fDone.back();
    fDone.pop_back();
    entry.record->undo();
    if (name)
        *name = entry.name;
    fUndone.push_back(entry);
    return MS::kSuccess;
}

MStatus UndoQueue::redo(std::string* name) {
    if (fUndone.empty())
        return MS::kFailure;
    Entry entry = fUndone.back();
    fUndone.pop_back();
    entry.record->redo();
    if (name)
        *name = entry.name;
    fDone.push_back(entry);
    return MS::kSuccess;
}

void UndoQueue::flush() {
    fDone.clear();
    fUndone.clear();
    for (UndoRecord* open : fCaptures)
        open->clear();
    ++fGeneration;
}

UndoQueue::Capture::Capture(UndoRecord& into) {
    UndoQueue::instance().fCaptures.push_back(&into);
}
UndoQueue::Capture::~Capture() {
    UndoQueue::instance().fCaptures.pop_back();
}

} // namespace khost
