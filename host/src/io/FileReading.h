#pragma once
// Marks the time during which a scene file's commands run, for MFileIO::isReadingFile.

namespace khost {

class ReadingFile {
public:
    ReadingFile();
    ~ReadingFile();
    ReadingFile(const ReadingFile&) = delete;
    ReadingFile& operator=(const ReadingFile&) = delete;

private:
    // A scene file opened from inside another keeps the outer read going when it ends.
    bool fOuter;
};

} // namespace khost
