#include "inf/InfLimits.h"

#include <string>

namespace ornibe {

std::size_t infMemoryBudget(std::size_t fileBytes) {
    return fileBytes / kInfMemoryDenominator * kInfMemoryNumerator + kInfMemoryAllowance;
}

InfProblem infFileTooLarge(std::uint64_t size) {
    InfProblem problem;
    problem.kind = InfProblem::Kind::Limit;
    problem.what = "the file is " + std::to_string(size) +
                   " bytes; a setup information file is read only up to 64 MiB";
    problem.reason = "ファイルが大きすぎます（" + std::to_string(size) +
                     " バイト）。INF ファイルとして読むのは 64 MB までです。";
    return problem;
}

InfProblem infTooManyParts() {
    InfProblem problem;
    problem.kind = InfProblem::Kind::Limit;
    problem.what = "the file holds too many lines or sections for its size; reading it "
                   "would take more than 1.75 times its size in memory";
    problem.reason = "ファイルの大きさに比べて行やセクションが多すぎます。INF "
                     "ファイルとして読むのは、読み込みに使うメモリがファイルの大きさの 1.75 "
                     "倍に収まるものまでです。";
    return problem;
}

} // namespace ornibe
