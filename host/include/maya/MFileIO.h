#pragma once

// Scene file state.
class MFileIO {
public:
    // True while a scene file is being read: its commands are rebuilding the scene.
    static bool isReadingFile();
};
