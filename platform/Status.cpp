#include "Status.h"

namespace tus2wf {

std::string Status::reason() const {
    std::string text = m_error != 0 ? systemReason(m_error) : std::string();
    if (!text.empty() && !m_why.empty()) {
        text += ": ";
    }
    return text + m_why;
}

Status Status::saying(std::string_view more) && {
    if (!m_why.empty()) {
        m_why += ": ";
    }
    m_why += more;
    return std::move(*this);
}

}  // namespace tus2wf
