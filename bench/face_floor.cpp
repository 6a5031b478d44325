// The least a Qt program pays to show this clock's face: a frameless 600 x 300
// window with the background picture and the time in the clock's own font.
// No sound, no tray, no logic: a floor for the start-up and memory figures.
//
//   face_floor <folder with bg.jpg and DS-DIGI.TTF>

#include <QApplication>
#include <QFontDatabase>
#include <QLabel>
#include <QPixmap>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const QString folder = argc > 1 ? argv[1] : QCoreApplication::applicationDirPath();
    QFontDatabase::addApplicationFont(folder + "/DS-DIGI.TTF");
    QLabel window;
    window.setWindowFlags(Qt::FramelessWindowHint);
    window.setFixedSize(600, 300);
    window.setPixmap(QPixmap(folder + "/bg.jpg"));
    QLabel time("12:34:56", &window);
    time.setGeometry(104, 144, 339, 97);
    time.setFont(QFont("DS-Digital", 48));
    time.setStyleSheet("color: cyan");
    window.show();
    return app.exec();
}
