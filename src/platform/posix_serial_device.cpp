#include "platform/posix_serial_device.h"
