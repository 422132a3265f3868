#pragma once

#include <algorithm>
#include <cstddef>
#include <utility>

namespace tus2wf {

// When a path box asks for the listing of the folder being typed, and which of its names it
// offers, whatever toolkit draws the box. The box lists folders on a thread of its own and shows
// the offered names as soon as the listing of the folder typed comes in, and after every key from
// then on: a user who pauses after typing a name sees them without one more key.
//
// Text is the toolkit's string, Names its list of strings, sorted by Rules::before. Rules says
// how the platform treats file names, with static functions isSeparator(character),
// same(a, b), before(a, b) and beginsWith(name, prefix).
template <typename Text, typename Names, typename Rules>
class PathCompletion {
  public:
    // The names offered, as indexes into names(); none when first == end.
    struct Offer {
        std::size_t first = 0;
        std::size_t end = 0;
    };

    // The text has changed to text, as the user typed it. Returns the folder whose listing the
    // box must ask for now, or an empty text when it needs none.
    Text typed(const Text& text) {
        std::size_t nameStart = static_cast<std::size_t>(text.size());
        while (nameStart > 0 && !Rules::isSeparator(text[nameStart - 1])) {
            --nameStart;
        }
        m_typedFolder = Text(text.data(), nameStart);
        m_typedName = Text(text.data() + nameStart, text.size() - nameStart);
        if (m_typedFolder.size() == 0 || m_typedName.size() == 0 ||
            Rules::same(m_typedFolder, m_listedFolder) ||
            Rules::same(m_typedFolder, m_requestedFolder)) {
            return Text();
        }
        m_requestedFolder = m_typedFolder;
        return m_typedFolder;
    }

    // The listing of folder has come in. Returns whether the box should offer names at once:
    // when its text is still in that folder, whatever the user has typed since it was asked for.
    bool listed(Text folder, Names names) {
        m_listedFolder = std::move(folder);
        m_names = std::move(names);
        return Rules::same(m_typedFolder, m_listedFolder);
    }

    // The listed names that begin as the typed name does; none while the typed folder has not
    // been listed, and none when the one name offered would be the one typed.
    Offer offer() const {
        if (m_typedName.size() == 0 || !Rules::same(m_typedFolder, m_listedFolder)) {
            return {};
        }
        const auto first =
            std::lower_bound(m_names.begin(), m_names.end(), m_typedName, Rules::before);
        const auto end = std::partition_point(first, m_names.end(), [this](const Text& name) {
            return Rules::beginsWith(name, m_typedName);
        });
        if (end - first == 1 && Rules::same(*first, m_typedName)) {
            return {};
        }
        return {static_cast<std::size_t>(first - m_names.begin()),
                static_cast<std::size_t>(end - m_names.begin())};
    }

    const Names& names() const { return m_names; }
    // The text that takes an offered name in place of the typed one.
    Text completed(std::size_t name) const { return m_typedFolder + m_names[name]; }

    // Files come and go between visits to the box; the next visit lists the folder afresh.
    void forget() {
        m_listedFolder = Text();
        m_requestedFolder = Text();
        m_names = Names();
    }

  private:
    // The folder part of the text as typed, separator included, and the name typed after it.
    Text m_typedFolder;
    Text m_typedName;
    // The folder whose names m_names holds, and the one asked for since.
    Text m_listedFolder;
    Names m_names;
    Text m_requestedFolder;
};

}  // namespace tus2wf
