#!/usr/bin/env bash
# Which folders of src/ may include which (README's Code map): a file that
# includes across a rule, or a toolkit where none belongs, fails.
set -u
cd "$(dirname "$0")/../src" || exit 1
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# FOLDER: the folders its files may include ("windows" is resources/windows).
while read -r folder allowed; do
    folder=${folder%:}
    while read -r file included; do
        case " $allowed " in *" ${included%%/*} "*) ;; *) fail "$file includes $included" ;; esac
    done < <(grep -rHoE '#include "[^"]+/[^"]+"' "$folder" | sed -E 's/:#include "(.*)"$/ \1/')
done <<'RULES'
report: report
output: report output
cli: report output cli
platform: report platform
directory: report platform directory
ui: report platform ui
main: report output cli platform ui main about enter_user audit directory windows
enter_user: report platform ui enter_user windows
about: report platform ui about windows
audit: report output platform ui audit main windows
RULES

# Only the start-up files know which sources exist.
for file in $(grep -rl '#include "directory/' main); do
    case $file in main/qt/main.cpp | main/win32/main.cpp) ;; *) fail "$file includes a source" ;; esac
done
# The AD rules know their transport only through DomainAccess; only the
# domain module's entry names it.
for file in $(grep -rl '#include "directory/ad/openldap/' directory main); do
    case $file in directory/ad/openldap/* | directory/module/domain_entry.cpp) ;; *) fail "$file includes libldap's adapter" ;; esac
done
# No toolkit in the core, the outputs, the command line, the sources or
# the windows' toolkit-free parts.
for file in $(grep -rlE '#include [<"](Q[A-Za-z]*|windows\.h|ui/(qt|win32)/|platform/(qt|win)/)' \
    report output cli directory/linux directory/ad main/*.* enter_user/*.* about/*.* audit/*.*); do
    fail "$file includes a toolkit or a platform's own service"
done
[ "$failures" -eq 0 ] && echo "ok: every include follows the rules"
