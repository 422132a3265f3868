#pragma once

#include <QByteArray>
#include <QString>

class TestFolder;
class WindowDriver;

// Input files for window tests and what a run makes of them. Every line ends in CR LF.
namespace sampleWorld {

// A script that exercises the conversion rules: matched and unmatched sections, an "ID=" line
// that overrides its header, a section without "P=" that takes the previous position, a byte
// above 0x7F and an "[EOF]" line among the copied lines.
QByteArray script();
QByteArray idList();
QByteArray records();
QByteArray newScript();

// The results text of a run of the sample files that went through, with its carriage returns.
QString completeResults();

// A script of sections of six lines each, long enough to act inside the run's yields, and a
// list naming every other one of them.
QByteArray manySections(int sections);
QByteArray everyOtherSection(int sections);

// The four files of one run inside a test folder; the outputs are not written yet.
struct RunFiles {
    QString tusworldScp;
    QString worldforge;
    QString newTusworldScp;
    QString itemList;
};
RunFiles place(const TestFolder& folder, const QByteArray& script, const QByteArray& idList);
// A run long enough to act in: it passes through many yields while it loads and while it
// converts. kLongRunSections sections, every other one listed.
constexpr int kLongRunSections = 5000;
RunFiles placeLongRun(const TestFolder& folder);
// The results text of that run once it went through.
QString longRunResults();
void enterPaths(WindowDriver& driver, const RunFiles& files);

}  // namespace sampleWorld
