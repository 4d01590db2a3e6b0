// Waits for a window to appear on an otherwise black X screen, then saves it as a PNG.
// usage: quorvane_screen_grab OUTPUT.png WIDTHxHEIGHT[+]
// Exits 0 when a settled window of that size (with "+", at least that high), centred on the
// screen, was saved.
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QThread>

#include <cstdio>

namespace {

constexpr int kTimeoutMs = 30000;
constexpr int kPollMs = 250;

// The smallest rectangle holding every pixel that is not the screen's black background.
QRect drawnArea(const QImage &screen)
{
    QRect area;
    for (int y = 0; y < screen.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(screen.constScanLine(y));
        for (int x = 0; x < screen.width(); ++x) {
            if (qGray(line[x]) != 0)
                area |= QRect(x, y, 1, 1);
        }
    }
    return area;
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication application(argc, argv);
    int width = 0;
    int height = 0;
    char orTaller = 0;
    const int parsed = argc == 3 ? std::sscanf(argv[2], "%dx%d%c", &width, &height, &orTaller) : 0;
    if (parsed < 2 || (parsed == 3 && orTaller != '+')) {
        std::fprintf(stderr, "usage: quorvane_screen_grab OUTPUT.png WIDTHxHEIGHT[+]\n");
        return 2;
    }
    const auto fits = [&](const QSize &size) {
        return size.width() == width && (orTaller ? size.height() >= height : size.height() == height);
    };
    QScreen *screen = QGuiApplication::primaryScreen();
    QImage previous;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < kTimeoutMs) {
        const QImage shot = screen->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32);
        const QRect area = drawnArea(shot);
        // Two equal grabs in a row: the window has finished painting.
        if (fits(area.size()) && shot == previous) {
            const QPoint centred((shot.width() - width + 1) / 2, (shot.height() - area.height() + 1) / 2);
            if ((area.topLeft() - centred).manhattanLength() > 1) {
                std::fprintf(stderr, "window at %d,%d, not centred at %d,%d\n", area.x(), area.y(), centred.x(),
                             centred.y());
                return 1;
            }
            return shot.copy(area).save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
        }
        previous = shot;
        QThread::msleep(kPollMs);
    }
    std::fprintf(stderr, "no settled %dx%d%s window appeared\n", width, height, orTaller ? "+" : "");
    return 1;
}
