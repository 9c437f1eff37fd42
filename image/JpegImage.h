#pragma once

#include "text/Error.h"

#include <QByteArray>
#include <QImage>

// A picture that libjpeg could not decode or encode; the message is libjpeg's.
class JpegError : public ScrivoluxError {
public:
    using ScrivoluxError::ScrivoluxError;
};

// Decodes a JPEG into an RGB image of the JPEG's size. Throws JpegError for
// data that is not a JPEG or is damaged, truncated data included, instead of
// returning a half-grey picture.
QImage DecodeJpeg(const QByteArray& data);

// Encodes an image as a baseline JPEG with three colour components and the
// given resolution in pixels per inch. Throws JpegError on failure.
QByteArray EncodeJpeg(const QImage& image, int quality, int pixelsPerInch);
