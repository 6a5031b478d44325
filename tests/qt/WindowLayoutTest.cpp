// The real window, offscreen: every visible control painted at its place and
// size, with its font, colours and picture, as a label of its own would show it.

#include <gtest/gtest.h>

#include <QAccessible>
#include <QCoreApplication>
#include <QDir>
#include <QFontDatabase>
#include <QImage>
#include <QLabel>
#include <algorithm>

#include "app/qt/ClockWindow.h"
#include "app/qt/QtServices.h"
#include "clock/frmMain.h"
#include "support/Fakes.h"
#include "support/QtApp.h"

namespace {

struct Rig {
    EventLog log;
    FakeClock clock{(12 * 60 + 30) * 60};
    FakeClips clips{log};
    FakeTrack wmp{log};
    FakeDialogs dialogs{log};
    NullTrayBackend tray;
    ClockWindow window;
    QtWindowHost host{&window};
    frmMain form{Platform{clock, clips, wmp, dialogs, host, tray, nullEndpointSystem(),
                          [](const std::string& path) {
                              QFontDatabase::addApplicationFont(QString::fromStdString(path));
                          },
                          [] { return QCoreApplication::applicationDirPath().toStdString(); },
                          [] {}}};

    Rig() {
        window.setForm(&form);
        window.dispatch([&] {
            form.Form_Load();
            form.tmrTime_Timer();
        });
    }
    // The window's pixels in `rect`.
    QImage at(const QRect& rect) { return window.grab(rect).toImage(); }
    // The text a screen reader reads of the control at `rect`; empty for none.
    QString said(const QRect& rect) {
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(&window);
        for (int i = 0; i < face->childCount(); ++i) {
            QAccessibleInterface* child = face->child(i);
            if (child->rect() == QRect(window.mapToGlobal(rect.topLeft()), rect.size()))
                return child->text(QAccessible::Value);
        }
        return {};
    }
};

// What a label of its own with this text, font, colours and alignment shows.
QImage asALabel(const QRect& rect, const QString& text, const QFont& font, QRgb colour,
                QRgb background, Qt::Alignment align) {
    QLabel label;
    label.setFixedSize(rect.size());
    label.setFont(font);
    label.setAlignment(align | Qt::AlignVCenter);
    QPalette palette = label.palette();
    palette.setColor(QPalette::WindowText, QColor(colour));
    palette.setColor(QPalette::Window, QColor(background));
    label.setPalette(palette);
    label.setAutoFillBackground(true);
    label.setText(text);
    return label.grab().toImage();
}

// How many pixels differ, and by how much at most in one channel.
std::pair<int, int> difference(const QImage& a, const QImage& b) {
    int count = 0, most = 0;
    for (int y = 0; y < std::min(a.height(), b.height()); ++y)
        for (int x = 0; x < std::min(a.width(), b.width()); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            const int d = std::max({std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                                    std::abs(qBlue(p) - qBlue(q))});
            count += d > 0;
            most = std::max(most, d);
        }
    return {count, most};
}

struct LabelCase {
    const char* name;
    QRect rect;
    const char* text;
    const char* family;
    int pixelSize;
    QRgb background;
    QRgb colour;
    Qt::Alignment align;
};

class Labels : public testing::TestWithParam<LabelCase> {};

TEST_P(Labels, SitWithTheirFontColourAndAlignment) {
    qtApp();
    Rig rig;
    const LabelCase& c = GetParam();
    QFont font(c.family);
    font.setPixelSize(c.pixelSize);
    font.setBold(true);
    const QImage painted = rig.at(c.rect);
    const QImage expected =
        asALabel(c.rect, QString::fromUtf8(c.text), font, c.colour, c.background, c.align);
    if (c.pixelSize <= 64) {
        const auto [count, most] = difference(painted, expected);
        EXPECT_EQ(count, 0) << c.name << ": " << count << " pixels differ, by " << most
                            << " at most";
    } else {
        // Larger text is drawn from pictures of its characters, whose edges
        // a label's own outlines smooth a little otherwise: as much ink.
        const QImage box = asALabel(c.rect, "", font, c.colour, c.background, c.align);
        const double ink = difference(painted, box).first;
        const double expectedInk = difference(expected, box).first;
        EXPECT_NEAR(ink / expectedInk, 1.0, 0.15) << c.name;
        EXPECT_GT(expectedInk, 1000) << c.name;
    }
    // The control paints its own box: its bottom-left pixel is the background colour.
    EXPECT_EQ(painted.pixel(1, c.rect.height() - 1) & 0xFFFFFF, c.background & 0xFFFFFF) << c.name;
    if (std::string(c.name) == "lblTime") {
        EXPECT_EQ(rig.said(c.rect), "12:30:00 PM");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, Labels,
    testing::Values(
        LabelCase{"lblTime",
                  {104, 144, 339, 97},
                  "12:30:00",
                  "DS-DIGITAL",
                  96,
                  0x000000,
                  0x00FFFF,
                  Qt::AlignHCenter},
        LabelCase{"lblAMPM",
                  {456, 144, 105, 97},
                  "PM",
                  "DS-DIGITAL",
                  96,
                  0x000000,
                  0x00FFFF,
                  Qt::AlignHCenter},
        LabelCase{
            "lblAlarm", {96, 112, 89, 25}, "", "Verdana", 11, 0x000000, 0x00FFFF, Qt::AlignLeft},
        LabelCase{"lblTrack",
                  {112, 72, 433, 16},
                  "No Track Selected",
                  "Verdana",
                  12,
                  0xA2A2A2,
                  0x000000,
                  Qt::AlignLeft},
        LabelCase{"lblMinimize",
                  {560, 3, 16, 31},
                  "-",
                  "DS-Digital",
                  32,
                  0x000000,
                  0xD0D0D0,
                  Qt::AlignHCenter},
        LabelCase{"lblClose",
                  {580, 3, 16, 31},
                  "X",
                  "DS-Digital",
                  32,
                  0x000000,
                  0xD0D0D0,
                  Qt::AlignHCenter}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Window, IsBorderlessFixedAndCaptioned) {
    qtApp();
    Rig rig;
    EXPECT_TRUE(rig.window.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(rig.window.size(), QSize(600, 300));
    EXPECT_EQ(rig.window.minimumSize(), rig.window.maximumSize());
    EXPECT_EQ(rig.window.windowTitle(), "Alarm Clock");
}

TEST(Window, PicturesAreShownAtTheirOwnSize) {
    qtApp();
    Rig rig;
    const QString folder = QCoreApplication::applicationDirPath() + "/";
    const auto shows = [&](const QRect& rect, const char* file) {
        const QImage picture = QImage(folder + file).convertToFormat(QImage::Format_RGB32);
        EXPECT_EQ(picture.size(), rect.size()) << file;
        return difference(rig.at(rect), picture).first == 0;
    };
    for (const auto& [rect, file] :
         std::vector<std::pair<QRect, const char*>>{{{24, 64, 50, 25}, "off.jpg"},
                                                    {{48, 37, 27, 27}, "settings.jpg"},
                                                    {{80, 64, 25, 25}, "track.jpg"},
                                                    {{60, 129, 29, 46}, "buzz.jpg"}})
        EXPECT_TRUE(shows(rect, file)) << file;
    // Exactly one indicator: the buzzer at start, the radio once a track is chosen.
    EXPECT_FALSE(shows({33, 128, 24, 47}, "song.jpg"));
    rig.dialogs.files.push_back("/music/a.mp3");
    rig.window.dispatch([&] { rig.form.butTrack_Click(); });
    EXPECT_TRUE(shows({33, 128, 24, 47}, "song.jpg"));
    EXPECT_FALSE(shows({60, 129, 29, 46}, "buzz.jpg"));
    EXPECT_EQ(rig.said({112, 72, 433, 16}), "/music/a.mp3");
}

TEST(Window, NothingShowsOutsideTheBackground) {
    qtApp();
    Rig rig;
    for (QWidget* child : rig.window.findChildren<QWidget*>()) {
        if (child->isVisibleTo(&rig.window)) {
            EXPECT_TRUE(QRect(0, 0, 600, 300).contains(child->geometry()));
        }
    }
    const QString artefacts = QCoreApplication::applicationDirPath() + "/artifacts";
    QDir().mkpath(artefacts);
    rig.window.grab().save(artefacts + "/window-offscreen.png");
}

}  // namespace
