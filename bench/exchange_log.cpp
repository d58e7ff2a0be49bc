// SPDX-License-Identifier: GPL-3.0-or-later
#include "bench/exchange_log.h"

#include <algorithm>
#include <numeric>

namespace zentaro {

namespace {

constexpr double kStallUs = 1000;

double Microseconds(ExchangeLog::Time from, ExchangeLog::Time to) {
    return std::chrono::duration<double, std::micro>(to - from).count();
}

}  // namespace

void ExchangeLog::CommandOut(Time at) {
    if (!logging_) {
        return;
    }
    if (command_ && reply_ && !paused_) {
        exchangeUs_.push_back(Microseconds(commandAt_, replyAt_));
        turnaroundUs_.push_back(Microseconds(replyAt_, at));
    }
    commandAt_ = at;
    command_ = true;
    reply_ = false;
    paused_ = false;
}

void ExchangeLog::ReplyIn(Time at) {
    if (!logging_) {
        return;
    }
    replyAt_ = at;
    reply_ = true;
}

void ExchangeLog::Begin() {
    logging_ = true;
    command_ = false;
    reply_ = false;
    paused_ = false;
}

TurnaroundFigures ExchangeLog::Figures() const {
    TurnaroundFigures figures;
    if (turnaroundUs_.empty()) {
        return figures;
    }
    std::vector<double> gaps = turnaroundUs_;
    std::sort(gaps.begin(), gaps.end());
    const auto stalled =
        std::find_if(gaps.begin(), gaps.end(), [](double g) { return g > kStallUs; });
    figures.exchanges = gaps.size();
    figures.totalUs = std::accumulate(gaps.begin(), gaps.end(), 0.0);
    figures.meanUs = figures.totalUs / static_cast<double>(gaps.size());
    figures.medianUs = gaps[gaps.size() / 2];
    figures.p99Us = gaps[gaps.size() * 99 / 100];
    figures.maxUs = gaps.back();
    figures.meanExchangeUs = std::accumulate(exchangeUs_.begin(), exchangeUs_.end(), 0.0) /
                             static_cast<double>(exchangeUs_.size());
    figures.stalls = static_cast<long>(gaps.end() - stalled);
    figures.stalledUs = std::accumulate(stalled, gaps.end(), 0.0);
    return figures;
}

}  // namespace zentaro
