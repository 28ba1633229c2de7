#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

namespace ornibe::test {

// The account a run is made as when it must not have root's rights.
struct OrdinaryUser {
    uid_t uid;
    gid_t gid;
};

// The account named nobody, when there is one that is not root and, for
// tests run as root, setpriv can drop root's rights to it here.
std::optional<OrdinaryUser> ordinaryUser();

// argv, prefixed so that it runs as user when the tests have root's
// rights: setpriv drops user, group and supplementary groups, and with
// them every capability. Unchanged for tests that are not root.
std::vector<std::string> asOrdinaryUser(const OrdinaryUser& user, std::vector<std::string> argv);

} // namespace ornibe::test
