#include "support/OrdinaryUser.h"

#include "support/CommandRun.h"

#include <pwd.h>
#include <unistd.h>

namespace ornibe::test {

std::optional<OrdinaryUser> ordinaryUser() {
    const passwd* entry = ::getpwnam("nobody");
    if (entry == nullptr || entry->pw_uid == 0) {
        return std::nullopt;
    }
    OrdinaryUser user{entry->pw_uid, entry->pw_gid};
    if (::geteuid() == 0 && runCommand(asOrdinaryUser(user, {"true"})).exitCode != 0) {
        return std::nullopt;
    }
    return user;
}

std::vector<std::string> asOrdinaryUser(const OrdinaryUser& user, std::vector<std::string> argv) {
    if (::geteuid() != 0) {
        return argv;
    }
    argv.insert(argv.begin(), {"setpriv", "--reuid=" + std::to_string(user.uid),
                               "--regid=" + std::to_string(user.gid), "--clear-groups"});
    return argv;
}

} // namespace ornibe::test
