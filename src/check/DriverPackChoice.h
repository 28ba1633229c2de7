#pragma once

#include "check/ControllerMatch.h"
#include "source/DriverPack.h"

#include <cstddef>
#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace ornibe {

// One driver as the choice among a pack's drivers weighs it.
struct ChoiceDriver {
    // As the table names it.
    std::string name;
    // Its hardware IDs (setup text; compared ignoring case).
    std::vector<std::string> ids;
    // DriverVer as the INF writes it; empty when it states none.
    std::string driverVer;
    std::vector<PackFile> files;
    // Why it cannot load on the CD (the load check's first reason); empty
    // when it loads.
    std::string cannotLoad;
};

// Stands for the drivers the user named (--driver, the driver list) in a
// row of the table.
inline constexpr std::size_t kNamedDrivers = std::numeric_limits<std::size_t>::max();

// A disk controller of the target and the driver taken for it (an index
// into the pack's drivers, kNamedDrivers, or nothing) and why.
struct ControllerChoice {
    std::string controller;
    std::optional<std::size_t> chosen;
    std::string why;
};

struct LeftOutDriver {
    std::size_t driver = 0;
    std::string why;
};

struct PackChoice {
    // The target's disk controllers in its listing's order; none without
    // a target.
    std::vector<ControllerChoice> controllers;
    // The pack's drivers taken, in the pack's order.
    std::vector<std::size_t> taken;
    // Every other driver of the pack, in the pack's order.
    std::vector<LeftOutDriver> leftOut;
};

// Chooses among the drivers of a pack. named holds the IDs and files of the
// drivers the user named, which always win: a pack driver that claims a
// controller they claim, or one of their IDs, or brings a file of one of
// their names with other bytes, is left out.
//
// With a target (its PCI devices), each disk controller (PCI base class
// 01) takes the pack driver that claims it as Windows ranks drivers: the
// one whose ID comes first in the device's own list of IDs (pciIdsOf, most
// specific first), so that one matching only by class code loses to any
// that names the device; among equals, the newest DriverVer, then the one
// found first. A driver that cannot load is never taken; nor one that
// brings a file of the name of a file taken with other bytes (the next
// driver is then weighed). Drivers that claim no controller are left out.
//
// Without a target, every driver that loads is taken, unless it claims an
// ID a driver taken before claims or brings a file of the same name with
// other bytes; drivers are weighed in the same order: those that name a
// device before those that name only class codes, then the newest
// DriverVer, then the one found first.
PackChoice choosePackDrivers(const std::vector<ChoiceDriver>& pack, const ChoiceDriver& named,
                             const std::optional<std::vector<PciDevice>>& target);

// Two DriverVer values ("mm/dd/yyyy[,w.x.y.z]") compared by date (year,
// month, day) and then by version, number by number: negative when a is
// older, positive when newer, 0 when they are equal. An empty value is
// older than any other.
int compareDriverVer(const std::string& a, const std::string& b);

} // namespace ornibe
