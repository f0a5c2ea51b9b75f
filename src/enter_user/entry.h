// What the user entry dialog decides, whatever toolkit draws it: its layout,
// the checks OK makes, in order, and what a good entry does.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "ui/layout.h"

namespace tramsel::enter_user {

inline constexpr const char *kCaption = "Enter User";
inline constexpr int kClientWidth = 3750;  // twips
inline constexpr int kClientHeight = 1545;
inline constexpr TwipsRect kDomainLabel{240, 240, 1080, 270};     // lblLabels(1)
inline constexpr TwipsRect kDomainField{1200, 120, 2325, 345};    // txtDomain
inline constexpr TwipsRect kUserNameLabel{240, 600, 1080, 270};   // lblLabels(0)
inline constexpr TwipsRect kUserNameField{1200, 480, 2325, 345};  // txtUserName
inline constexpr TwipsRect kOK{495, 1020, 1140, 390};
inline constexpr TwipsRect kCancel{2100, 1020, 1140, 390};
inline constexpr const char *kDomainLabelText = "Domain:";
inline constexpr const char *kUserNameLabelText = "User Name:";
// The most characters each field takes, typed or pasted.
inline constexpr int kDomainLimit = 20;
inline constexpr int kUserNameLimit = 255;

enum class Field { Domain, UserName };

struct Problem {
    std::string message;  // lines end in CR LF
    Field field;          // the field that gets the caret back
};

// OK's checks, in order: the domain is not empty, then the user name is
// acceptable. Nothing when the entry is good.
std::optional<Problem> checkEntry(std::string_view domain, std::string_view userName);

// The dialog as OK sees it. Texts are UTF-8.
class Dialog {
public:
    virtual ~Dialog() = default;
    virtual std::string text(Field field) const = 0;
    // A message box titled "Tramsel - Error"; returns once the user pressed OK.
    virtual void showError(const std::string &message) = 0;
    // The field gets the input focus and its whole text becomes the selection.
    virtual void focusAndSelect(Field field) = 0;
    virtual void hideDialog() = 0;  // it stays loaded, with its texts
    // Hands a good entry to the dialog's owner, which reports on it.
    virtual void submit(const std::string &domain, const std::string &userName) = 0;
};

// cmdOK_Click: a bad entry gets its message and the caret back in its field;
// a good one leaves the caret in the user name, hides the dialog and is
// handed on exactly as typed.
void okClicked(Dialog &dialog);

} // namespace tramsel::enter_user
