// Draws the application icon and the hand pointer shipped next to the program.
// Run it from the build folder: quorvane_draw_art <assets folder>
#include <QDataStream>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <cstdio>

namespace {

constexpr int kPointerSize = 32;
constexpr QPoint kPointerHotSpot(11, 1);

// Two list cards on a blue tile; the front card's lines end in a tick for a cleaned list.
QImage drawIcon(int size, QImage::Format format)
{
    QImage image(size, size, format);
    image.fill(format == QImage::Format_RGB888 ? Qt::white : Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 256.0, size / 256.0);

    QLinearGradient tile(0, 0, 0, 256);
    tile.setColorAt(0, QColor(0x2f, 0x80, 0xd6));
    tile.setColorAt(1, QColor(0x17, 0x3f, 0x7a));
    painter.setPen(Qt::NoPen);
    painter.setBrush(tile);
    painter.drawRoundedRect(QRectF(8, 8, 240, 240), 44, 44);

    painter.setBrush(QColor(0xc9, 0xdc, 0xf3));
    painter.drawRoundedRect(QRectF(40, 36, 120, 156), 14, 14);
    painter.setBrush(Qt::white);
    painter.drawRoundedRect(QRectF(88, 64, 128, 164), 14, 14);

    painter.setBrush(QColor(0x8a, 0x9b, 0xb0));
    for (int line = 0; line < 4; ++line)
        painter.drawRoundedRect(QRectF(108, 90 + line * 28, line == 3 ? 52 : 88, 12), 6, 6);

    painter.setBrush(QColor(0x2e, 0xa0, 0x4f));
    painter.drawEllipse(QPointF(186, 196), 30, 30);
    QPen tick(Qt::white, 10, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    painter.setPen(tick);
    painter.setBrush(Qt::NoBrush);
    painter.drawPolyline(QPolygonF({QPointF(172, 197), QPointF(183, 208), QPointF(202, 184)}));
    return image;
}

QPainterPath roundedRect(qreal x, qreal y, qreal width, qreal height, qreal radius)
{
    QPainterPath path;
    path.addRoundedRect(QRectF(x, y, width, height), radius, radius);
    return path;
}

// A white glove with the index finger up and the other fingers folded, outlined in black.
QImage drawHandPointer()
{
    QImage image(kPointerSize, kPointerSize, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);

    QPainterPath thumb = roundedRect(2.5, 15.5, 10, 5, 2.5);
    thumb = QTransform().translate(7.5, 18).rotate(45).translate(-7.5, -18).map(thumb);
    const QPainterPath hand = roundedRect(9.5, 1.5, 5, 17, 2.5)
                                  .united(roundedRect(14.5, 9.5, 5, 9, 2.5))
                                  .united(roundedRect(19.5, 10.5, 4.5, 8, 2.2))
                                  .united(roundedRect(24, 12, 4, 7, 2))
                                  .united(roundedRect(9.5, 14.5, 18.5, 12, 4))
                                  .united(thumb)
                                  .united(roundedRect(12.5, 25.5, 13, 5, 1));
    painter.setPen(QPen(Qt::black, 1.2));
    painter.setBrush(Qt::white);
    painter.drawPath(hand);
    painter.setPen(QPen(Qt::black, 1));
    for (const qreal x : {14.5, 19.5, 24.0})
        painter.drawLine(QPointF(x, 12), QPointF(x, 17));
    return image;
}

// A cursor file holding one 32-bit image: directory, entry with the hot spot, bitmap, mask.
QByteArray cursorFile(const QImage &image, QPoint hotSpot)
{
    const int width = image.width();
    const int height = image.height();
    const int maskRowBytes = (width + 31) / 32 * 4;
    const quint32 pixelBytes = quint32(width * height * 4);
    const quint32 maskBytes = quint32(maskRowBytes * height);
    const quint32 bitmapBytes = 40 + pixelBytes + maskBytes;

    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out << quint16(0) << quint16(2) << quint16(1);
    out << quint8(width) << quint8(height) << quint8(0) << quint8(0);
    out << quint16(hotSpot.x()) << quint16(hotSpot.y()) << bitmapBytes << quint32(6 + 16);
    // The bitmap header counts the mask's rows too, hence twice the height.
    out << quint32(40) << qint32(width) << qint32(height * 2) << quint16(1) << quint16(32) << quint32(0)
        << quint32(pixelBytes + maskBytes) << qint32(0) << qint32(0) << quint32(0) << quint32(0);
    for (int y = height - 1; y >= 0; --y) {
        for (int x = 0; x < width; ++x) {
            const QRgb pixel = image.pixel(x, y);
            out << quint8(qBlue(pixel)) << quint8(qGreen(pixel)) << quint8(qRed(pixel)) << quint8(qAlpha(pixel));
        }
    }
    for (int y = height - 1; y >= 0; --y) {
        QByteArray row(maskRowBytes, '\0');
        for (int x = 0; x < width; ++x) {
            if (qAlpha(image.pixel(x, y)) == 0)
                row[x / 8] = char(row[x / 8] | (0x80 >> (x % 8)));
        }
        out.writeRawData(row.constData(), int(row.size()));
    }
    return bytes;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: quorvane_draw_art ASSETS_FOLDER\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    bool written = drawIcon(32, QImage::Format_RGB888).save(folder + "/icon-32.png");
    for (const int size : {48, 128, 256})
        written = drawIcon(size, QImage::Format_ARGB32).save(folder + QString("/icon-%1.png").arg(size)) && written;
    written = writeFile(folder + "/HAND-M.CUR", cursorFile(drawHandPointer(), kPointerHotSpot)) && written;
    return written ? 0 : 1;
}
