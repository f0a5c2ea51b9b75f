# Sourced by the end-to-end tests. failure_text NAME: the report for an
# account that cannot be found, byte for byte (LF line ends).
failure_text() {
    printf '\nNo such NT account: '"'"'%s'"'"',\nor ADSI is not installed on your computer.\nYou need to install ADSI:\nhttp://download.microsoft.com/ntserver/downloads/bin/nts/adsx86.exe\nor use Windows 2000\n\n' "$1"
}
