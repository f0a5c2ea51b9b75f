// The user entry dialog's checks, shared by every toolkit.
#include "enter_user/entry.h"

#include "report/account_path.h"

namespace tramsel::enter_user {

std::optional<Problem> checkEntry(std::string_view domain, std::string_view userName)
{
    if (domain.empty())
        return Problem{"Domain cannot be blank\r\nEnter a machine name if you are in a Workgroup",
                       Field::Domain};
    if (auto error = userNameError(userName))
        return Problem{std::move(*error), Field::UserName};
    return std::nullopt;
}

void okClicked(Dialog &dialog)
{
    if (const auto problem = checkEntry(dialog.text(Field::Domain), dialog.text(Field::UserName))) {
        dialog.showError(problem->message);
        dialog.focusAndSelect(problem->field);
        return;
    }
    dialog.focusAndSelect(Field::UserName);
    dialog.hideDialog();
    // Read again: the texts the report gets are the ones the fields hold now.
    dialog.submit(dialog.text(Field::Domain), dialog.text(Field::UserName));
}

} // namespace tramsel::enter_user
