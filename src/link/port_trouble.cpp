// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/port_trouble.h"

namespace zentaro {

namespace {

std::string Reason(const OpenTrouble& trouble) {
    switch (trouble.failure) {
        case OpenFailure::PermissionDenied:
            return "没有读写权限。\n    请把用户加入 dialout 组 (sudo usermod -aG dialout $USER)，"
                   "然后注销并重新登录。";
        case OpenFailure::Busy:
            return "端口正被另一个程序使用。\n    请先关闭占用该端口的程序。";
        case OpenFailure::Other:
        case OpenFailure::Absent:
            break;
    }
    return "无法打开 (" + trouble.detail + ")。";
}

}  // namespace

std::string PortTroubleNotice(const std::vector<PortAttempt>& attempts) {
    std::string lines;
    for (const PortAttempt& attempt : attempts) {
        if (attempt.opened || attempt.trouble.failure == OpenFailure::Absent) {
            continue;
        }
        lines +=
            "\n" + attempt.trouble.device + " (" + attempt.port + ")：" + Reason(attempt.trouble);
    }
    return lines.empty() ? std::string() : "以下串口存在，但无法打开：" + lines;
}

}  // namespace zentaro
