#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace tus2wf {

class Converter;

// What a run that completed did, in the words both programs show after "Conversion Complete",
// one line each: the counts; then either that nothing on the list was found or the list's
// entries that matched nothing; then, when an input's line feeds were read as line ends, so, and
// that the new world script ends its lines in CR LF all the same. The entries are named as far as
// widestLine characters allow, the rest counted.
std::vector<std::string> runSummary(const Converter& converter, std::size_t widestLine);

// Each entry of the ID list, as it stands, that named no converted world item; blank entries
// name nothing.
std::vector<std::string> unmatchedEntries(const Converter& converter);

}  // namespace tus2wf
