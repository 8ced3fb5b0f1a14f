#pragma once

// POSIX termios backend of SerialDevice.
