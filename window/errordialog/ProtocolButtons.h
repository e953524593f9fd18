#pragma once
// What the error dialog's protocol buttons do with the protocol text.
#include <cstdint>

namespace stellmark {

class frmPanne;
namespace platform {
class Services;
}

// "&Speichern": writes the ".ERR" file beside the program in one step (asking before it
// replaces one) and says where.
void SaveProtocol(const frmPanne& panne, platform::Services& services) noexcept;

// "&WWW": the protocol onto the clipboard, then the home page opened.
void SendProtocol(const frmPanne& panne, platform::Services& services) noexcept;

// The protocol buttons: 1 saves, 3 sends, any other index does nothing.
void cmdProtocol_Click(const frmPanne& panne, int16_t index, platform::Services& services) noexcept;

}  // namespace stellmark
