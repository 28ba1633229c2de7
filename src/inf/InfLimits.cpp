#include "inf/InfLimits.h"
#include "sys/Translation.h"

#include <string>

namespace ornibe {

std::size_t infMemoryBudget(std::size_t fileBytes) {
    return fileBytes / kInfMemoryDenominator * kInfMemoryNumerator + kInfMemoryAllowance;
}

InfProblem infFileTooLarge(std::uint64_t size) {
    InfProblem problem;
    problem.kind = InfProblem::Kind::Limit;
    problem.reason = translated(
        "ファイルが大きすぎます（%1 バイト）。INF ファイルとして読むのは 64 MB までです。",
        {std::to_string(size)});
    return problem;
}

InfProblem infTooManyParts() {
    InfProblem problem;
    problem.kind = InfProblem::Kind::Limit;
    problem.reason =
        translated("ファイルの大きさに比べて行やセクションが多すぎます。INF "
                   "ファイルとして読むのは、読み込みに使うメモリがファイルの大きさの 1.75 "
                   "倍に収まるものまでです。");
    return problem;
}

} // namespace ornibe
