#pragma once
// Maya's undo queue: finished undoable commands, undone and redone as a whole.
#include "core/Undo.h"
#include <maya/MStatus.h>
#include <memory>
#include <string>
#include <vector>

namespace khost {

class UndoQueue {
public:
    static UndoQueue& instance();

    // Takes a finished command's record: into the innermost open capture when there is one (the
    // command runs inside another that undoes it as part of itself), else onto the queue when
    // toQueue, which also forgets what could be redone.
    void record(const std::string& name, UndoRecord&& record, bool toQueue = true);
    MStatus undo(std::string* name = nullptr);
    MStatus redo(std::string* name = nullptr);
    // Forgets everything that could be undone or redone, and what the commands still running have
    // recorded so far: it all belongs to a scene that is gone (file -new, file -open, unloadPlugin).
    void flush();
    // Changes at every flush, so that a command can tell that the scene it started in was replaced.
    unsigned long generation() const { return fGeneration; }
    size_t undoCount() const { return fDone.size(); }
    size_t redoCount() const { return fUndone.size(); }

    // While alive, finished commands are recorded into `into` instead of the queue.
    class Capture {
    public:
        explicit Capture(UndoRecord& into);
        ~Capture();
        Capture(const Capture&) = delete;
        Capture& operator=(const Capture&) = delete;
    };

private:
    struct Entry {
        std::string name;
        std::shared_ptr<UndoRecord> record;
    };
    std::vector<Entry> fDone;
    std::vector<Entry> fUndone;
    std::vector<UndoRecord*> fCaptures;
    unsigned long fGeneration = 0;
};

} // namespace khost
