#include <QBuffer>
#include <QImageWriter>
#include <QTest>

#include "ui/art.h"
#include "ui/jpegpicture.h"

namespace {

// A picture encoded by Qt's own writer, so the decoder is checked against
// colours that were put in on purpose.
QByteArray encoded(const QImage& image) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, "jpeg");
  writer.setQuality(95);
  return writer.write(image) ? bytes : QByteArray();
}

bool near(QColor actual, QColor expected) {
  return std::abs(actual.red() - expected.red()) < 24 && std::abs(actual.green() - expected.green()) < 24 &&
         std::abs(actual.blue() - expected.blue()) < 24;
}

}  // namespace

class JpegpictureTest : public QObject {
  Q_OBJECT

 private slots:
  void theSplashPictureDecodesAtItsSize() {
    const QImage picture = ui::decodejpeg(ui::splashjpeg());
    QVERIFY(!picture.isNull());
    QCOMPARE(picture.size(), QSize(373, 336));
    QCOMPARE(picture.format(), QImage::Format_RGB32);
  }

  void coloursKeepTheirChannels() {
    QImage image(32, 16, QImage::Format_RGB32);
    image.fill(QColor(220, 30, 30));
    for (int y = 0; y < 16; ++y)
      for (int x = 16; x < 32; ++x) image.setPixelColor(x, y, QColor(30, 40, 210));
    const QByteArray bytes = encoded(image);
    if (bytes.isEmpty()) QSKIP("Qt has no JPEG writer here");

    const QImage decoded = ui::decodejpeg(bytes);
    QCOMPARE(decoded.size(), QSize(32, 16));
    QVERIFY(near(decoded.pixelColor(4, 8), QColor(220, 30, 30)));
    QVERIFY(near(decoded.pixelColor(28, 8), QColor(30, 40, 210)));
  }

  void greyPicturesComeOutAsColourPixels() {
    QImage image(8, 8, QImage::Format_Grayscale8);
    image.fill(QColor(128, 128, 128));
    const QByteArray bytes = encoded(image);
    if (bytes.isEmpty()) QSKIP("Qt has no JPEG writer here");

    const QImage decoded = ui::decodejpeg(bytes);
    QCOMPARE(decoded.format(), QImage::Format_RGB32);
    QVERIFY(near(decoded.pixelColor(3, 3), QColor(128, 128, 128)));
  }

  // Each of these must come back as a null image, and the test program must
  // still be running to see it.
  void brokenDataIsAnError_data() {
    QTest::addColumn<QByteArray>("bytes");
    const QByteArray good = ui::splashjpeg();
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("garbage") << QByteArray("this is not a picture at all, just some text");
    QTest::newRow("start marker only") << QByteArray("\xFF\xD8", 2);
    QTest::newRow("header only") << good.left(600);
    QTest::newRow("cut in the middle") << good.left(good.size() / 2);
    QTest::newRow("last bytes missing") << good.left(good.size() - 40);
  }
  void brokenDataIsAnError() {
    QFETCH(QByteArray, bytes);
    QVERIFY(ui::decodejpeg(bytes).isNull());
  }

  void aFailedDecodeLeavesTheDecoderUsable() {
    QVERIFY(ui::decodejpeg(QByteArray("garbage")).isNull());
    QVERIFY(!ui::decodejpeg(ui::splashjpeg()).isNull());
  }
};

QTEST_MAIN(JpegpictureTest)
#include "jpegpicture_test.moc"
