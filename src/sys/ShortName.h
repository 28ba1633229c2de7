#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace ornibe {

// MS-DOS file names ("8.3"): what setup's text-mode and T-13 stages take
// for the files they run from the setup folder's SVCPACK.

// A name of one to eight characters, optionally a dot and one to three
// more, each a letter, a digit or one of $ % ' - _ @ ~ ` ! ( ) { } ^ # &.
// Letter case does not matter, as on a FAT volume.
bool isShortName(std::string_view name);

// The short name a file of this long name gets: the name itself in capitals
// when it is a short name already and taken does not answer true for it;
// otherwise the first six (or fewer) usable characters of its base in
// capitals, "~" and a number from 1, then its extension cut to three, the
// first one taken does not answer true for. Characters a short name cannot
// hold are left out; a base with none left is "FILE". taken is asked with
// the capitalised candidate and decides letter case itself.
std::string shortNameFor(std::string_view longName,
                         const std::function<bool(const std::string&)>& taken);

} // namespace ornibe
