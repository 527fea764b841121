#include <maya/MOpenCLAutoPtr.h>

namespace khost {

void CLReference<cl_mem>::retain(cl_mem value) {
    clRetainMemObject(value);
}
void CLReference<cl_mem>::release(cl_mem value) {
    clReleaseMemObject(value);
}
void CLReference<cl_kernel>::retain(cl_kernel value) {
    clRetainKernel(value);
}
void CLReference<cl_kernel>::release(cl_kernel value) {
    clReleaseKernel(value);
}
void CLReference<cl_event>::retain(cl_event value) {
    clRetainEvent(value);
}
void CLReference<cl_event>::release(cl_event value) {
    clReleaseEvent(value);
}

} // namespace khost

void MAutoCLEventList::add(const MAutoCLEvent& event) {
    if (event.isNull())
        return;
    fEvents.push_back(event);
    fRaw.push_back(event.get());
}

void MAutoCLEventList::clear() {
    fEvents.clear();
    fRaw.clear();
}
