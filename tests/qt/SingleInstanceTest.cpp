// Which clocks count as one: the socket's name follows the display.

#include <gtest/gtest.h>

#include "app/qt/SingleInstance.h"

namespace {

struct DisplayCase {
    const char* display;
    const char* suffix;
};

TEST(SingleInstance, OneNamePerDisplay) {
    const QByteArray wayland = qgetenv("WAYLAND_DISPLAY");
    const QByteArray x = qgetenv("DISPLAY");
    qunsetenv("WAYLAND_DISPLAY");
    for (const DisplayCase& c : {DisplayCase{":0", "-_0"}, DisplayCase{":0.1", "-_0"},
                                 DisplayCase{"host.lan:10.2", "-host.lan_10"},
                                 DisplayCase{"a/b c:1", "-a_b_c_1"}, DisplayCase{"", "-none"}}) {
        qputenv("DISPLAY", c.display);
        const QString name = SingleInstance::serverName();
        EXPECT_TRUE(name.endsWith(c.suffix) || name.contains(QString(c.suffix) + '-'))
            << c.display << " gave " << name.toStdString();
    }
    qputenv("DISPLAY", x);
    if (!wayland.isEmpty()) qputenv("WAYLAND_DISPLAY", wayland);
}

}  // namespace
