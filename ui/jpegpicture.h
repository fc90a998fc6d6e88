// Decodes a JPEG picture held in memory with libjpeg.
#pragma once

#include <QByteArray>
#include <QImage>

namespace ui {

// The picture as Format_RGB32, or a null image when the data is not a
// complete, readable JPEG picture.
QImage decodejpeg(const QByteArray& bytes);

}  // namespace ui
