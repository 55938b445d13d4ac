#pragma once

#include "companions/OutputFile.h"

#include <QImage>
#include <QSize>
#include <QString>

#include <atomic>
#include <functional>
#include <optional>

class QPainter;

// The files a picture of the graph is written to, from the window and the command line alike.

enum class PictureForm
{
    Png,
    Svg,
    Pdf
};

// The form a file's name asks for by its suffix, in any case: .png, .svg or .pdf. None for
// another suffix or none: such a name is refused rather than given bytes it does not promise.
std::optional<PictureForm> PictureFormOf(const QString &path);

// A picture as its front end draws it: paint draws the whole picture on a device of pixels
// at dpi dots an inch, in the device's pixels.
struct PictureDrawing
{
    QSize pixels;
    int dpi = 96;
    // Named in an SVG's and a PDF's properties.
    QString title;
    std::function<void(QPainter &)> paint;
};

// The drawing on white, as a PNG holds it; a null image when it cannot be held in memory.
QImage PictureImage(const PictureDrawing &drawing);

enum class PictureFault
{
    None,
    // The name asks for no form PictureFormOf knows.
    UnknownForm,
    // The picture could not be made, before any file was touched.
    NotDrawn,
    // The file could not be written; reason says why.
    NotWritten,
    Cancelled
};

struct PictureWriting
{
    PictureFault fault = PictureFault::None;
    // The system's words for NotWritten.
    QString reason;
    bool written() const { return fault == PictureFault::None; }
};

// Writes image as a PNG to path. The file is replaced only once the picture is whole, and a
// pipe or a device is written in place only where inPlace allows (see OutputFile). Once
// cancelled is set, from any thread, the encoding stops and the file is left as it was.
PictureWriting WritePngFile(const QString &path, InPlaceWrites inPlace, const QImage &image,
                            const std::atomic<bool> &cancelled);

// Writes drawing to path in the form its name asks for, by the same rule: a PNG of pixels,
// an SVG or a one-page PDF of lines and texts, each at the drawing's dpi.
PictureWriting WritePictureFile(const QString &path, InPlaceWrites inPlace,
                                const PictureDrawing &drawing);
