#include "LineSettings.h"

namespace zorvane {

static_assert(kBaudRate == 57600, "the speed constant below must follow the line's rate");
static_assert(kReadTimeout.count() % 100 == 0, "VTIME counts tenths of a second");

void ApplyLineSettings(termios& tio) {
    tio.c_iflag &= ~(IGNBRK | BRKINT | IGNPAR | PARMRK | INPCK | ISTRIP | INLCR | IGNCR | ICRNL |
                     IXON | IXOFF | IXANY);
    tio.c_oflag &= ~OPOST;
    tio.c_lflag &= ~(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    tio.c_cflag &= ~(CSIZE | CSTOPB | CRTSCTS | CMSPAR);
    tio.c_cflag |= CS8 | PARENB | PARODD | CLOCAL | CREAD;
    // These fail only for an unknown speed constant.
    ::cfsetispeed(&tio, B57600);
    ::cfsetospeed(&tio, B57600);
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = kReadTimeout.count() / 100;
}

}  // namespace zorvane
