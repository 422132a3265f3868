#include "SampleWorld.h"

#include <QStringList>

#include "TestFolder.h"
#include "WindowDriver.h"

namespace sampleWorld {
namespace {

QByteArray crlfLines(const QList<QByteArray>& lines) {
    QByteArray bytes;
    for (const QByteArray& line : lines) {
        bytes += line + "\r\n";
    }
    return bytes;
}

}  // namespace

QByteArray script() {
    return crlfLines({
        "[HEADER]",
        "VERSION=55",
        "",
        "[WORLDITEM 0eed]",
        "SERIAL=0eed",
        "P=1234,567,0",
        "",
        "[WORLDITEM 0f00]",
        "P=10,20,5",
        "",
        "[WORLDITEM 1a2b]",
        "ID=0eee",
        "",
        "NAME=caf\xe9",
        "[EOF]",
    });
}

QByteArray idList() {
    return crlfLines({"EED", "1A2B", "[EOF]", "0F00"});
}

QByteArray records() {
    return crlfLines({
        "SECTION WORLDITEM 0",
        "{",
        "ID 3821",
        "X 1234",
        "Y 567",
        "Z 0",
        "TYPE 255",
        "}",
        "",
        "SECTION WORLDITEM 1",
        "{",
        "ID 3822",
        "X 1234",
        "Y 567",
        "Z 0",
        "TYPE 255",
        "}",
        "",
        "[EOF]",
    });
}

QByteArray newScript() {
    return crlfLines({
        "[HEADER]",
        "VERSION=55",
        "",
        "[WORLDITEM 0f00]",
        "P=10,20,5",
        "",
        "NAME=caf\xe9",
        "[EOF]",
    });
}

QString completeResults() {
    return QStringLiteral(
        "Results:\rReading scp...done\r\rReading item list...done\r\r"
        "Beginning conversion for item list...done\r\rConversion Complete"
        "\r2 records written, 8 lines copied.");
}

QString longRunResults() {
    return QStringLiteral(
        "Results:\rReading scp...done\r\rReading item list...done\r\r"
        "Beginning conversion for item list...done\r\rConversion Complete"
        "\r2,500 records written, 15,000 lines copied.");
}

QByteArray manySections(int sections) {
    QByteArray bytes;
    for (int id = 1; id <= sections; ++id) {
        const QByteArray hex = QByteArray::number(id, 16).rightJustified(4, '0');
        const QByteArray place = QByteArray::number(id * 3);
        bytes += crlfLines({"[WORLDITEM " + hex + "]", "SERIAL=" + hex,
                            "P=" + place + "," + place + ",0", "COLOR=0", "NAME=item", ""});
    }
    return bytes;
}

QByteArray everyOtherSection(int sections) {
    QByteArray bytes;
    for (int id = 1; id <= sections; id += 2) {
        bytes += QByteArray::number(id, 16).toUpper() + "\r\n";
    }
    return bytes + "[EOF]\r\n";
}

RunFiles place(const TestFolder& folder, const QByteArray& script, const QByteArray& idList) {
    return {folder.write(QStringLiteral("world.scp"), script),
            folder.path(QStringLiteral("records.wf")), folder.path(QStringLiteral("new.scp")),
            folder.write(QStringLiteral("ids.txt"), idList)};
}

RunFiles placeLongRun(const TestFolder& folder) {
    return place(folder, manySections(kLongRunSections), everyOtherSection(kLongRunSections));
}

void enterPaths(WindowDriver& driver, const RunFiles& files) {
    driver.setPaths(files.tusworldScp, files.worldforge, files.newTusworldScp, files.itemList);
}

}  // namespace sampleWorld
