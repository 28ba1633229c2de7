#include "sys/IsoSignature.h"

#include "sys/FileIo.h"

namespace ornibe {

bool hasIso9660Signature(const std::string& path) {
    return peekFile(path, 5, 32769) == "CD001";
}

} // namespace ornibe
