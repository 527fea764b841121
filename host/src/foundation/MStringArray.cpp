#include <algorithm>
#include <maya/MStringArray.h>

int MStringArray::indexOf(const MString& element) const {
    const auto found = std::find(begin(), end(), element);
    return found == end() ? -1 : static_cast<int>(found - begin());
}
