#!/usr/bin/env bash
# The acceptance run: a fresh Wine prefix (a new user's profile and registry), both libraries registered as
# ./run registers them, the real-mail messages in the "acceptance" Maildir of ./test's dovecot and python's
# reading of them as the oracle; then the driver starts the host and drives the client.
# Usage: run-acceptance.sh DRIVER.exe SOURCE_DIR WORK_DIR
set -euo pipefail
driver=$1
ORB_ROOT=$2
work=$3
source "$ORB_ROOT/tools/harness.sh"
bin=$(dirname "$driver")

if [ -z "${ORB_PEER_DIR:-}" ] || [ -z "${ORB_POP3_PORT:-}" ]; then
    echo "the mail peers of ./test are not running" >&2
    exit 1
fi
rm -rf "$work"
mkdir -p "$work"
export WINEPREFIX="$work/wineprefix"
# A display of its own: a window another test activates on a shared display takes the client's focus, and
# with it the commands that follow the focus (Move, Delete).
ORB_BUILD="$work"
orb_start_xvfb
trap 'wineserver -k </dev/null >/dev/null 2>&1 || true; orb_stop_xvfb' EXIT INT TERM

maildir="$ORB_PEER_DIR/dovecot/mail/acceptance"
rm -rf "$maildir/new" "$maildir/cur" "$maildir/tmp"
mkdir -p "$maildir/new" "$maildir/cur" "$maildir/tmp"
# The file's base name is the message's unique identifier on the server.
for message in "$ORB_ROOT"/tests/data/real-mail/*.eml; do
    cp "$message" "$maildir/new/$(basename "$message" .eml)"
done
chmod -R a+rwX "$maildir"
# The IMAP account's mailbox: an empty INBOX and one folder beside it (Maildir++).
imapdir="$ORB_PEER_DIR/dovecot/mail/imapaccept"
rm -rf "$imapdir"
mkdir -p "$imapdir/new" "$imapdir/cur" "$imapdir/tmp" "$imapdir/.Archive/new" "$imapdir/.Archive/cur" \
    "$imapdir/.Archive/tmp"
chmod -R a+rwX "$imapdir"
/usr/bin/python3 "$ORB_ROOT/tests/acceptance/make_oracle.py" "$ORB_ROOT/tests/data/real-mail" "$work/oracle"

# The prefix as orb_start_wine makes it: Wine's services detached, so that they hold nothing of ours.
orb_detached wineserver -p &
orb_detached wineboot -i
orb_detached wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f
orb_detached wine regsvr32 /s "$bin/OrbMail.dll"
orb_detached wine regsvr32 /s "$bin/OrbUpdate.dll"
orb_detached wine regsvr32 /s "$bin/OrbIMAP.dll"

ORB_ACCEPTANCE_ORACLE="Z:$work/oracle" wine "$driver" </dev/null
