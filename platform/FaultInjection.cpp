#include "FaultInjection.h"

#include <atomic>

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#endif

namespace tus2wf::faults {
namespace {

struct Plan {
    std::atomic<int> callsLeft{0};  // 0: no failure planned
    std::atomic<int> error{0};
};

Plan g_plans[static_cast<int>(Call::Count)];

Plan& planFor(Call call) {
    return g_plans[static_cast<int>(call)];
}

}  // namespace

void failNth(Call call, int n, int error) {
    planFor(call).error = error;
    planFor(call).callsLeft = n;
}

void clear() {
    for (Plan& plan : g_plans) {
        plan.callsLeft = 0;
    }
}

bool injected(Call call) {
    Plan& plan = planFor(call);
    if (plan.callsLeft.load(std::memory_order_relaxed) == 0 || --plan.callsLeft != 0) {
        return false;
    }
#ifdef _WIN32
    SetLastError(static_cast<DWORD>(plan.error.load()));
#else
    errno = plan.error.load();
#endif
    return true;
}

}  // namespace tus2wf::faults
