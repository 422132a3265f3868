#include "FakeHost.h"

namespace tus2wf::test {

FakeHost::FakeHost(std::string script, std::string list, std::string records,
                   std::string newScript) {
    setPath(PathBox::TusworldScp, std::move(script));
    setPath(PathBox::ItemList, std::move(list));
    setPath(PathBox::Worldforge, std::move(records));
    setPath(PathBox::NewTusworldScp, std::move(newScript));
}

void FakeHost::setProgress(const Progress& value) {
    progress = value;
    ++progressCalls;
}

void FakeHost::setResultsText(std::string text) {
    results = std::move(text);
    resultsSteps.push_back({results, progress.text()});
}

bool FakeHost::yield() {
    const std::int64_t earlier = yields++;
    if (onYield && !onYield()) {
        return false;
    }
    if (m_pathChange) {
        setPath(m_pathChange->first, std::move(m_pathChange->second));
        m_pathChange.reset();
    }
    return !(m_stopAfter && earlier >= *m_stopAfter);
}

}  // namespace tus2wf::test
