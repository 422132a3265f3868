#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "Host.h"
#include "Progress.h"
#include "Status.h"

namespace tus2wf::test {

// A host that stands in for the window: four path boxes, the two status texts, and a record of
// everything the engine asked of it.
class FakeHost : public Host {
  public:
    struct Message {
        std::string prompt;
        std::string title;
    };

    // The progress text at the moment the results text was set, with the new results text.
    struct ResultsStep {
        std::string results;
        std::string progress;
    };

    FakeHost() = default;
    FakeHost(std::string script, std::string list, std::string records, std::string newScript);

    void setPath(PathBox box, std::string path) { m_paths[index(box)] = std::move(path); }

    // Makes the yield after yieldCount earlier ones answer false (stop the run).
    void stopAfterYields(std::int64_t yieldCount) { m_stopAfter = yieldCount; }
    // Sets a path box at the first yield.
    void changePathAtFirstYield(PathBox box, std::string path) {
        m_pathChange = {box, std::move(path)};
    }
    // Called at every yield, before the other behaviour; false stops the run.
    std::function<bool()> onYield;

    // Host
    std::string pathText(PathBox box) override { return m_paths[index(box)]; }
    void setProgress(const Progress& progress) override;
    std::string resultsText() override { return results; }
    void setResultsText(std::string text) override;
    bool yield() override;
    void showMessage(std::string_view prompt, std::string_view title) override {
        messages.push_back({std::string(prompt), std::string(title)});
    }

    std::string progressText() const { return progress.text(); }
    // The prompt of the message shown by the run that returned status; empty for a run that
    // showed none (one that went through, or was stopped).
    std::string promptOf(const Status& status) const {
        const bool shown = !status.isOk() && status.code() != Status::Code::Stopped;
        return shown && !messages.empty() ? messages.back().prompt : std::string();
    }

    Progress progress;
    std::int64_t progressCalls = 0;
    std::string results;
    std::vector<ResultsStep> resultsSteps;
    std::vector<Message> messages;
    std::int64_t yields = 0;

  private:
    static std::size_t index(PathBox box) { return static_cast<std::size_t>(box); }

    std::array<std::string, 4> m_paths;
    std::optional<std::int64_t> m_stopAfter;
    std::optional<std::pair<PathBox, std::string>> m_pathChange;
};

}  // namespace tus2wf::test
