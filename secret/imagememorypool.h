#pragma once

#include <QImage>
#include <QSize>

// Keeps the memory of the last pictures decoded for showing once nothing
// shows them any more, so that the next one (the screen's picture at its
// next showing, the chooser's next thumbnail) is decoded into memory already
// paged in, instead of fresh pages that the system must map and clear.
// Process-wide: it lives until the program ends and holds at most a few
// buffers; JpegPicture relies on it. Thread-safe.
class ImageMemoryPool {
public:
    // An RGB32 image of size whose pixels are not set; null when memory ran
    // out. Its memory comes back to the pool when the last copy of the image
    // goes.
    static QImage take(QSize size);

    // Lets go of every kept buffer.
    static void clear();
};
