#pragma once

// Conversions between UTF-8 and the DOS (CP866) and Windows (CP1251) code pages.
