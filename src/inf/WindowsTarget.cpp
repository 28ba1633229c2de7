#include "inf/WindowsTarget.h"

namespace ornibe {

char versionDigit(WindowsVersion version) {
    switch (version) {
    case WindowsVersion::Windows2000:
        return '0';
    case WindowsVersion::WindowsXp:
        return '1';
    case WindowsVersion::Server2003:
        return '2';
    case WindowsVersion::Unknown:
        break;
    }
    return '?';
}

WindowsVersion versionOfDigit(char digit) {
    for (WindowsVersion version :
         {WindowsVersion::Windows2000, WindowsVersion::WindowsXp, WindowsVersion::Server2003}) {
        if (versionDigit(version) == digit) {
            return version;
        }
    }
    return WindowsVersion::Unknown;
}

} // namespace ornibe
