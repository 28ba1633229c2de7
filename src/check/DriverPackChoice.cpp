#include "check/DriverPackChoice.h"

#include "sys/CaseFold.h"
#include "sys/Translation.h"
#include "sys/Trimmed.h"

#include <algorithm>
#include <map>
#include <numeric>
#include <unordered_map>

namespace ornibe {
namespace {

// The numbers of a text split at any of separators; a part that is no
// number counts as 0.
std::vector<unsigned long> numbersOf(std::string_view text, char separator) {
    std::vector<unsigned long> numbers;
    while (!text.empty()) {
        const std::size_t end = text.find(separator);
        const std::string_view part = trimmed(text.substr(0, end));
        unsigned long value = 0;
        for (char c : part) {
            if (c < '0' || c > '9') {
                break;
            }
            value = value * 10 + static_cast<unsigned long>(c - '0');
        }
        numbers.push_back(value);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    }
    return numbers;
}

bool onlyClassCodes(const ChoiceDriver& driver) {
    return !driver.ids.empty() &&
           std::all_of(driver.ids.begin(), driver.ids.end(), [](const std::string& id) {
               return foldSetupText(id).starts_with("PCI\\CC_");
           });
}

// The folded IDs of a driver.
std::vector<std::string> foldedIds(const ChoiceDriver& driver) {
    std::vector<std::string> ids;
    for (const std::string& id : driver.ids) {
        ids.push_back(foldSetupText(id));
    }
    return ids;
}

class Chooser {
public:
    Chooser(const std::vector<ChoiceDriver>& pack, const ChoiceDriver& named)
        : pack_(pack), named_(named), taken_(pack.size(), false), claims_(pack.size(), true),
          lost_(pack.size()) {
        for (const PackFile& file : named.files) {
            files_.emplace(file.name, Placed{file, kNamedDrivers});
        }
        for (const ChoiceDriver& driver : pack) {
            ids_.push_back(foldedIds(driver));
        }
    }

    PackChoice withTarget(const std::vector<PciDevice>& devices) {
        PackChoice choice;
        claims_.assign(pack_.size(), false);
        const std::vector<std::string> namedIds = foldedIds(named_);
        for (const PciDevice& device : devices) {
            if ((device.classCode >> 8U) != 0x01) {
                continue;
            }
            std::vector<std::string> deviceIds = pciIdsOf(device);
            for (std::string& id : deviceIds) {
                id = foldSetupText(id);
            }
            ControllerChoice row{device.slot + " " + device.name, std::nullopt, {}};
            const std::size_t namedRank = rank(namedIds, deviceIds);
            std::vector<std::pair<std::size_t, std::size_t>> ranked;
            for (std::size_t i = 0; i < pack_.size(); ++i) {
                if (const std::size_t r = rank(ids_[i], deviceIds); r < deviceIds.size()) {
                    claims_[i] = true;
                    ranked.emplace_back(r, i);
                }
            }
            std::stable_sort(ranked.begin(), ranked.end(), [&](const auto& a, const auto& b) {
                if (a.first != b.first) {
                    return a.first < b.first;
                }
                return compareDriverVer(pack_[a.second].driverVer, pack_[b.second].driverVer) > 0;
            });
            if (namedRank < deviceIds.size()) {
                row.chosen = kNamedDrivers;
                row.why = translated("指定したドライバ：%1 で一致", {deviceIds[namedRank]});
                for (const auto& [r, i] : ranked) {
                    lose(i, translated("指定したドライバがこのコントローラに一致します"));
                }
            } else {
                chooseFor(ranked, deviceIds, row);
            }
            choice.controllers.push_back(std::move(row));
        }
        finish(choice);
        return choice;
    }

    PackChoice withoutTarget() {
        std::unordered_map<std::string, std::size_t> owners;
        for (const std::string& id : foldedIds(named_)) {
            owners.emplace(id, kNamedDrivers);
        }
        std::vector<std::size_t> order(pack_.size());
        std::iota(order.begin(), order.end(), 0);
        std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
            const bool classA = onlyClassCodes(pack_[a]);
            const bool classB = onlyClassCodes(pack_[b]);
            if (classA != classB) {
                return classB;
            }
            return compareDriverVer(pack_[a].driverVer, pack_[b].driverVer) > 0;
        });
        for (std::size_t i : order) {
            if (!pack_[i].cannotLoad.empty()) {
                continue;
            }
            auto owned = std::find_if(ids_[i].begin(), ids_[i].end(),
                                      [&](const std::string& id) { return owners.contains(id); });
            if (owned != ids_[i].end()) {
                const std::size_t owner = owners.at(*owned);
                lost_[i] = lostTo(
                    owner, translated("同じ ID %1 を持ち、%2",
                                      {*owned, owner == kNamedDrivers ? translated("優先されます")
                                                                      : whyBetter(owner, i)}));
                continue;
            }
            if (std::optional<std::string> clash = fileClash(i)) {
                lost_[i] = *clash;
                continue;
            }
            take(i);
            for (const std::string& id : ids_[i]) {
                owners.emplace(id, i);
            }
        }
        PackChoice choice;
        finish(choice);
        return choice;
    }

private:
    struct Placed {
        PackFile file;
        std::size_t owner;
    };

    // The position of the first of the device's IDs that ids names; the
    // device's count of IDs when none.
    static std::size_t rank(const std::vector<std::string>& ids,
                            const std::vector<std::string>& deviceIds) {
        for (std::size_t r = 0; r < deviceIds.size(); ++r) {
            if (std::find(ids.begin(), ids.end(), deviceIds[r]) != ids.end()) {
                return r;
            }
        }
        return deviceIds.size();
    }

    std::string nameOf(std::size_t i) const {
        return i == kNamedDrivers ? translated("指定したドライバ") : pack_[i].name;
    }

    std::string lostTo(std::size_t winner, const std::string& why) const {
        return translated("%1 に負けました：%2", {nameOf(winner), why});
    }

    // Why winner was weighed before loser when they claim the same.
    std::string whyBetter(std::size_t winner, std::size_t loser) const {
        if (onlyClassCodes(pack_[loser]) && !onlyClassCodes(pack_[winner])) {
            return translated("クラスコードよりデバイスを名指しするものが優先されます");
        }
        if (compareDriverVer(pack_[winner].driverVer, pack_[loser].driverVer) > 0) {
            return translated("DriverVer %1 の方が新しい", {pack_[winner].driverVer});
        }
        return translated("先に見つかった方が優先されます");
    }

    void chooseFor(const std::vector<std::pair<std::size_t, std::size_t>>& ranked,
                   const std::vector<std::string>& deviceIds, ControllerChoice& row) {
        std::optional<std::pair<std::size_t, std::size_t>> winner;
        for (const auto& [r, i] : ranked) {
            if (!pack_[i].cannotLoad.empty()) {
                continue;
            }
            if (winner) {
                if (winner->first < r) {
                    lose(i, lostTo(winner->second, translated("%1 の方が具体的な ID です",
                                                              {deviceIds[winner->first]})));
                } else {
                    lose(i, lostTo(winner->second, whyBetter(winner->second, i)));
                }
                continue;
            }
            if (!taken_[i]) {
                if (std::optional<std::string> clash = fileClash(i)) {
                    lose(i, *clash);
                    continue;
                }
                take(i);
            }
            winner.emplace(r, i);
            row.chosen = i;
            const bool classCode = deviceIds[r].starts_with("PCI\\CC_");
            if (pack_[i].driverVer.empty()) {
                row.why = classCode ? translated("%1 で一致（クラスコードのみ）", {deviceIds[r]})
                                    : translated("%1 で一致", {deviceIds[r]});
            } else {
                row.why = classCode ? translated("%1 で一致（クラスコードのみ）、DriverVer %2",
                                                 {deviceIds[r], pack_[i].driverVer})
                                    : translated("%1 で一致、DriverVer %2",
                                                 {deviceIds[r], pack_[i].driverVer});
            }
        }
        if (!row.chosen) {
            row.why = ranked.empty() ? translated("パックに一致するドライバがありません")
                                     : translated("一致するドライバはどれも読み込めません");
        }
    }

    // The first loss a driver meets is the one the table gives.
    void lose(std::size_t i, std::string why) {
        if (lost_[i].empty()) {
            lost_[i] = std::move(why);
        }
    }

    std::optional<std::string> fileClash(std::size_t i) const {
        for (const PackFile& file : pack_[i].files) {
            auto placed = files_.find(file.name);
            if (placed != files_.end() && !placed->second.file.sameBytes(file)) {
                return lostTo(
                    placed->second.owner,
                    translated("同じ名前で中身の違うファイル %1 があります", {file.name}));
            }
        }
        return std::nullopt;
    }

    void take(std::size_t i) {
        taken_[i] = true;
        for (const PackFile& file : pack_[i].files) {
            files_.emplace(file.name, Placed{file, i});
        }
    }

    void finish(PackChoice& choice) const {
        for (std::size_t i = 0; i < pack_.size(); ++i) {
            if (taken_[i]) {
                choice.taken.push_back(i);
            } else if (!claims_[i]) {
                choice.leftOut.push_back(
                    {i, translated("一致するディスクコントローラがありません")});
            } else if (!pack_[i].cannotLoad.empty()) {
                choice.leftOut.push_back(
                    {i, translated("読み込めません：%1", {pack_[i].cannotLoad})});
            } else {
                choice.leftOut.push_back({i, lost_[i]});
            }
        }
    }

    const std::vector<ChoiceDriver>& pack_;
    const ChoiceDriver& named_;
    std::vector<std::vector<std::string>> ids_;
    std::vector<bool> taken_;
    // Whether the driver claims a controller of the target (all do without
    // one).
    std::vector<bool> claims_;
    std::vector<std::string> lost_;
    std::map<std::string, Placed> files_;
};

} // namespace

PackChoice choosePackDrivers(const std::vector<ChoiceDriver>& pack, const ChoiceDriver& named,
                             const std::optional<std::vector<PciDevice>>& target) {
    Chooser chooser(pack, named);
    return target ? chooser.withTarget(*target) : chooser.withoutTarget();
}

int compareDriverVer(const std::string& a, const std::string& b) {
    if (a.empty() || b.empty()) {
        return a.empty() == b.empty() ? 0 : (a.empty() ? -1 : 1);
    }
    auto key = [](const std::string& value) {
        const std::size_t comma = value.find(',');
        std::vector<unsigned long> date = numbersOf(value.substr(0, comma), '/');
        date.resize(3);
        std::vector<unsigned long> ordered{date[2], date[0], date[1]};
        if (comma != std::string::npos) {
            for (unsigned long n : numbersOf(std::string_view(value).substr(comma + 1), '.')) {
                ordered.push_back(n);
            }
        }
        return ordered;
    };
    const std::vector<unsigned long> ka = key(a);
    const std::vector<unsigned long> kb = key(b);
    return ka < kb ? -1 : (kb < ka ? 1 : 0);
}

} // namespace ornibe
