# Set-up shared by ./test and ./run: packages, SQLite sources, the two builds, Wine and Xvfb.
# Sourced, not run; expects ORB_ROOT to be the repository root.

ORB_BUILD="$ORB_ROOT/build"
ORB_WIN="$ORB_BUILD/win"
ORB_NATIVE_BUILD="$ORB_BUILD/native"
ORB_FUZZ_BUILD="$ORB_BUILD/fuzz"
ORB_SQLITE_SRC="$ORB_BUILD/third_party/sqlite"
ORB_HUNSPELL_SRC="$ORB_BUILD/third_party/hunspell"
export WINEPREFIX="$ORB_BUILD/wineprefix"
export WINEDEBUG=-all
# The menu builder would copy the prefix's file types into the user's desktop entries and MIME folders.
export WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe=d"
export WINEARCH=win64
# Clones in other folders (CI) share the compiler cache.
export CCACHE_BASEDIR="$ORB_ROOT"
export CCACHE_NOHASHDIR=1

orb_log() { printf '\n== %s\n' "$*"; }

orb_install_packages() {
    local wanted=(clang libclang-rt-14-dev g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix mingw-w64-tools wine wine64 wine64-tools
                  xvfb xauth x11-utils imagemagick fonts-wine fonts-liberation cmake ninja-build ccache g++ googletest tcl
                  dpkg-dev xz-utils
                  python3 dovecot-pop3d dovecot-imapd isync python3-aiosmtpd mpop msmtp libgmime-3.0-dev pkg-config liblitehtml-dev
                  tango-icon-theme python3-pil time python3-pyftpdlib gcab procmail hunspell hunspell-en-us python3-vobject
                  chromium)
    local missing=()
    for p in "${wanted[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        orb_log "installing ${missing[*]}"
        apt-get update -qq
        DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
    fi
}

# Downloads the source packages named into the folder, through a private deb-src list derived from the
# machine's own apt sources (kept under the folder's apt/), so the machine's own lists stay as they are.
orb_source_download() {
    local work=$1 src
    shift
    mkdir -p "$work/apt/lists/partial" "$work/apt/sources" "$work/apt/cache/archives/partial"
    for src in /etc/apt/sources.list.d/*.sources; do
        [ -f "$src" ] && sed -e 's/^Types:.*/Types: deb-src/' "$src" > "$work/apt/sources/$(basename "$src")"
    done
    if [ -f /etc/apt/sources.list ]; then
        sed -n -e 's/^deb /deb-src /p' /etc/apt/sources.list > "$work/apt/sources/main.list"
    fi
    local opts=(-o "Dir::Etc::SourceList=/dev/null" -o "Dir::Etc::SourceParts=$work/apt/sources"
                -o "Dir::State::Lists=$work/apt/lists" -o "Dir::Cache=$work/apt/cache")
    apt-get "${opts[@]}" update -qq
    # A download cut off half-way is met now and then; apt takes up what it already has on the next try.
    local try
    for try in 1 2 3; do
        (cd "$work" && apt-get "${opts[@]}" source --download-only "$@" >/dev/null 2>&1) && return 0
        echo "downloading the source packages $* failed (try $try of 3)" >&2
        sleep 5
    done
    return 1
}

# The SQLite amalgamation, made once from Debian's source package and kept in the build tree.
orb_prepare_sqlite() {
    [ -f "$ORB_SQLITE_SRC/sqlite3.c" ] && return 0
    orb_log "preparing SQLite from its Debian source package"
    local work="$ORB_BUILD/third_party/work"
    rm -rf "$work" && mkdir -p "$work/apt/lists/partial" "$work/apt/sources" "$work/apt/cache/archives/partial"
    orb_source_download "$work" sqlite3
    local orig
    orig=$(ls "$work"/sqlite3_*.orig.tar.* | grep -v www | head -n 1)
    tar -C "$work" -xf "$orig"
    local tree
    tree=$(find "$work" -maxdepth 1 -type d -name 'sqlite*' | head -n 1)
    (cd "$tree" && ./configure >/dev/null && make sqlite3.c >/dev/null)
    mkdir -p "$ORB_SQLITE_SRC"
    cp "$tree/sqlite3.c" "$tree/sqlite3.h" "$ORB_SQLITE_SRC/"
    rm -rf "$work"
}

# Hunspell's library sources, taken once from Debian's hunspell source package; the spelling engine links
# them statically. The en_US dictionary comes from the installed hunspell-en-us package.
orb_prepare_hunspell() {
    [ -f "$ORB_HUNSPELL_SRC/.ready-1" ] && return 0
    orb_log "preparing hunspell from its Debian source package"
    local work="$ORB_BUILD/third_party/hunspell-work"
    rm -rf "$work" "$ORB_HUNSPELL_SRC" && mkdir -p "$work"
    orb_source_download "$work" hunspell
    tar -C "$work" -xf "$(ls "$work"/hunspell_*.orig.tar.* | grep -v '\.asc$' | head -n 1)"
    local tree
    tree=$(find "$work" -mindepth 1 -maxdepth 1 -type d -name 'hunspell-*' | head -n 1)
    mkdir -p "$ORB_HUNSPELL_SRC"
    cp -r "$tree/src/hunspell" "$ORB_HUNSPELL_SRC/"
    cp "$tree/COPYING" "$tree/COPYING.LESSER" "$tree/COPYING.MPL" "$ORB_HUNSPELL_SRC/" 2>/dev/null || true
    touch "$ORB_HUNSPELL_SRC/.ready-1"
    rm -rf "$work"
}

orb_configure_and_build() {
    local jobs
    jobs=$(nproc)
    # Configured every time (quick when nothing changed): a build tree made before a setting was added
    # would otherwise leave out what needs it.
    cmake -S "$ORB_ROOT" -B "$ORB_WIN" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$ORB_ROOT/cmake/mingw-w64-x86_64.cmake" -DORB_SQLITE_DIR="$ORB_SQLITE_SRC" \
        -DORB_HUNSPELL_DIR="$ORB_HUNSPELL_SRC" >/dev/null
    if [ ! -f "$ORB_NATIVE_BUILD/build.ninja" ]; then
        CC=gcc CXX=g++ cmake -S "$ORB_ROOT" -B "$ORB_NATIVE_BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
            -DORB_NATIVE=ON >/dev/null
    fi
    orb_log "building (Windows)"
    cmake --build "$ORB_WIN" -j "$jobs"
    orb_log "building (native)"
    cmake --build "$ORB_NATIVE_BUILD" -j "$jobs"
}

# The fuzz targets alone, natively with clang: libFuzzer, ASan and UBSan.
orb_build_fuzz() {
    if [ ! -f "$ORB_FUZZ_BUILD/build.ninja" ]; then
        CC=clang CXX=clang++ cmake -S "$ORB_ROOT" -B "$ORB_FUZZ_BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
            -DORB_NATIVE=ON -DORB_FUZZ=ON >/dev/null
    fi
    orb_log "building (fuzz targets)"
    cmake --build "$ORB_FUZZ_BUILD" -j "$(nproc)" --target orb_fuzz
}

# Wine's service processes must not inherit our pipes, or whoever reads them waits for ever.
orb_start_wine() {
    wineserver -k </dev/null >/dev/null 2>&1 || true
    wineserver -w </dev/null >/dev/null 2>&1 || true
    if [ ! -f "$WINEPREFIX/.orb-ready-2" ]; then
        orb_log "creating the Wine prefix"
        mkdir -p "$WINEPREFIX"
        wineboot -i </dev/null >/dev/null 2>&1
        # Unmanaged windows: without a window manager Wine otherwise waits about 2 s whenever one hides.
        wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1
        wineserver -w </dev/null >/dev/null 2>&1 || true
        touch "$WINEPREFIX/.orb-ready-2"
    fi
    # Two drives of other types for the tests of drive-dependent paths: R: a network drive, S: a removable one.
    if [ ! -f "$WINEPREFIX/.orb-drives-1" ]; then
        mkdir -p "$ORB_BUILD/drives/remote" "$ORB_BUILD/drives/removable" "$WINEPREFIX/dosdevices"
        ln -sfn "$ORB_BUILD/drives/remote" "$WINEPREFIX/dosdevices/r:"
        ln -sfn "$ORB_BUILD/drives/removable" "$WINEPREFIX/dosdevices/s:"
        wine reg add 'HKLM\Software\Wine\Drives' /v r: /d network /f </dev/null >/dev/null 2>&1
        wine reg add 'HKLM\Software\Wine\Drives' /v s: /d floppy /f </dev/null >/dev/null 2>&1
        wineserver -w </dev/null >/dev/null 2>&1 || true
        touch "$WINEPREFIX/.orb-drives-1"
    fi
    # The common Windows faces are Debian's metric-compatible Liberation faces, so pages lay out with Windows
    # metrics; DejaVu stays as the fallback for the scripts Liberation lacks.
    if [ ! -f "$WINEPREFIX/.orb-fonts-1" ]; then
        local pair face sub
        for pair in "Arial=Liberation Sans" "Helvetica=Liberation Sans" "Times New Roman=Liberation Serif" \
                    "Times=Liberation Serif" "Courier New=Liberation Mono" "Courier=Liberation Mono"; do
            face=${pair%%=*}
            sub=${pair#*=}
            wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' /v "$face" /d "$sub" /f \
                </dev/null >/dev/null 2>&1
            wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" /d "$sub" /f </dev/null >/dev/null 2>&1
        done
        wineserver -w </dev/null >/dev/null 2>&1 || true
        touch "$WINEPREFIX/.orb-fonts-1"
    fi
    # Wine has no Windows Address Book library: ours is the one the registry names, unless one is named.
    if ! wine reg query 'HKLM\Software\Microsoft\WAB\DLLPath' /ve </dev/null >/dev/null 2>&1; then
        wine reg add 'HKLM\Software\Microsoft\WAB\DLLPath' /ve /d "Z:${ORB_WIN//\//\\}\\bin\\wab32.dll" /f \
            </dev/null >/dev/null 2>&1
        wineserver -w </dev/null >/dev/null 2>&1 || true
    fi
    orb_detached wineserver -p &
    orb_detached wine wineboot
}

# Runs a command with no descriptor of ours: a lock or pipe it inherited would stay held as long as Wine's
# service processes live.
orb_detached() {
    (
        local fd
        for fd in $(ls /proc/$BASHPID/fd); do
            [ "$fd" -gt 2 ] && eval "exec $fd>&-"
        done
        exec setsid "$@" </dev/null >/dev/null 2>&1
    )
}

orb_stop_wine() {
    wineserver -k </dev/null >/dev/null 2>&1 || true
}

ORB_XVFB_PID=""
orb_start_xvfb() {
    # The server picks its own free display and says which: runs started side by side (other clones, a
    # ./run beside a ./test) never end up on one display, as probing for a free lock file let them.
    mkdir -p "$ORB_BUILD"
    local said="$ORB_BUILD/xvfb-display" n="" i
    rm -f "$said"
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$said" </dev/null >/dev/null 2>&1 &
    ORB_XVFB_PID=$!
    for i in $(seq 1 200); do
        n=$(head -n 1 "$said" 2>/dev/null || true)
        [ -n "$n" ] && [ -e "/tmp/.X11-unix/X$n" ] && break
        n=""
        sleep 0.1
    done
    if [ -z "$n" ]; then
        echo "Xvfb did not start" >&2
        return 1
    fi
    export DISPLAY=":$n"
}

orb_stop_xvfb() {
    [ -n "$ORB_XVFB_PID" ] && kill "$ORB_XVFB_PID" 2>/dev/null || true
    ORB_XVFB_PID=""
}

# Mail peers of the transport tests and benchmarks, on 127.0.0.1 only: dovecot for POP3 (users "tester",
# "second", "bench" and "acceptance", Maildirs that the tests fill) and an aiosmtpd server with AUTH LOGIN
# that keeps each message it receives as a file. Configurations are in tools/peers, state in the build tree; the ports are free ones found
# at start and handed to the tests in ORB_POP3_PORT and ORB_SMTP_PORT, the state folder in ORB_PEER_DIR.
ORB_PEER_DIR="$ORB_BUILD/peers"
ORB_SMTP_PID=""
ORB_POP3_PID=""
orb_free_port() {
    /usr/bin/python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}

orb_start_pop3_peer() {
    local state="$ORB_PEER_DIR/dovecot"
    orb_stop_pop3_peer
    rm -rf "$state"
    mkdir -p "$state/run" "$state/state"
    # The tests (root under Wine) write the messages; dovecot's mail user moves and deletes them.
    local user sub
    for user in tester second bench acceptance imapdot imapfs imapaccept; do
        for sub in cur new tmp; do
            mkdir -p "$state/mail/$user/$sub"
        done
    done
    chmod -R 777 "$state/mail"
    ORB_POP3_PORT=$(orb_free_port)
    ORB_IMAP_PORT=$(orb_free_port)
    sed -e "s#@STATE@#$state#g" -e "s#@PORT@#$ORB_POP3_PORT#g" -e "s#@IMAP_PORT@#$ORB_IMAP_PORT#g" \
        "$ORB_ROOT/tools/peers/dovecot.conf.in" > "$state/dovecot.conf"
    printf 'tester:{PLAIN}secret\nsecond:{PLAIN}secret\nbench:{PLAIN}benchpw\nacceptance:{PLAIN}secret\n' > "$state/users"
    printf 'imapdot:{PLAIN}secret\nimapfs:{PLAIN}secret\nimapaccept:{PLAIN}secret\n' >> "$state/users"
    printf 'imapdot::::::\nimapfs:::::::userdb_mail=maildir:~:LAYOUT=fs:INDEX=MEMORY\n' > "$state/imap-users"
    # In the foreground, as a job of ours, so that its process id is known from the start.
    /usr/sbin/dovecot -F -c "$state/dovecot.conf" </dev/null >/dev/null 2>&1 &
    ORB_POP3_PID=$!
    local i
    for i in $(seq 1 100); do
        (exec 3<>"/dev/tcp/127.0.0.1/$ORB_POP3_PORT") 2>/dev/null && break
        sleep 0.1
    done
    # The IMAP users' folders, made by the server's own tool so that they are as it keeps them.
    local folder
    for user in imapdot imapfs; do
        for folder in Drafts Sent Archive; do
            /usr/bin/doveadm -c "$state/dovecot.conf" mailbox create -u "$user" "$folder" >/dev/null 2>&1 || true
        done
    done
    export ORB_POP3_PORT ORB_IMAP_PORT ORB_PEER_DIR
}

orb_stop_pop3_peer() {
    orb_stop_job "$ORB_POP3_PID"
    ORB_POP3_PID=""
}

# Ends a peer started by us and waits (at most 5 s) until it has gone.
orb_stop_job() {
    local pid=$1 i
    [ -n "$pid" ] || return 0
    kill "$pid" 2>/dev/null || return 0
    for i in $(seq 1 50); do
        kill -0 "$pid" 2>/dev/null || return 0
        sleep 0.1
    done
    kill -9 "$pid" 2>/dev/null || true
}

orb_start_smtp_peer() {
    local state="$ORB_PEER_DIR/smtp"
    orb_stop_smtp_peer
    rm -rf "$state"
    mkdir -p "$state/spool"
    ORB_SMTP_PORT=$(orb_free_port)
    /usr/bin/python3 "$ORB_ROOT/tools/peers/smtp_server.py" "$ORB_SMTP_PORT" "$state/spool" tester secret \
        </dev/null >"$state/server.log" 2>&1 &
    ORB_SMTP_PID=$!
    local i
    for i in $(seq 1 100); do
        (exec 3<>"/dev/tcp/127.0.0.1/$ORB_SMTP_PORT") 2>/dev/null && break
        sleep 0.1
    done
    export ORB_SMTP_PORT ORB_PEER_DIR
}

orb_stop_smtp_peer() {
    orb_stop_job "$ORB_SMTP_PID"
    ORB_SMTP_PID=""
}

# The updater's FTP server: user "updater", password "secret", serving ORB_FTP_ROOT (which the tests fill,
# each in a folder of its own) on ORB_FTP_PORT; ORB_FTP_CONTROL steers throttling and cut transfers.
ORB_FTP_PID=""
orb_start_ftp_peer() {
    local state="$ORB_PEER_DIR/ftp"
    orb_stop_ftp_peer
    rm -rf "$state"
    mkdir -p "$state/root" "$state/control"
    chmod -R 777 "$state"
    ORB_FTP_PORT=$(orb_free_port)
    ORB_FTP_ROOT="$state/root"
    ORB_FTP_CONTROL="$state/control"
    /usr/bin/python3 "$ORB_ROOT/tools/peers/ftp_server.py" "$ORB_FTP_PORT" "$ORB_FTP_ROOT" "$ORB_FTP_CONTROL" \
        updater secret </dev/null >"$state/server.log" 2>&1 &
    ORB_FTP_PID=$!
    local i
    for i in $(seq 1 100); do
        (exec 3<>"/dev/tcp/127.0.0.1/$ORB_FTP_PORT") 2>/dev/null && break
        sleep 0.1
    done
    export ORB_FTP_PORT ORB_FTP_ROOT ORB_FTP_CONTROL
}

orb_stop_ftp_peer() {
    orb_stop_job "$ORB_FTP_PID"
    ORB_FTP_PID=""
}

orb_start_peers() {
    orb_start_pop3_peer
    orb_start_smtp_peer
    orb_start_ftp_peer
}

orb_stop_peers() {
    orb_stop_pop3_peer
    orb_stop_smtp_peer
    orb_stop_ftp_peer
}

# NetSurf's HTML parser and CSS libraries (libhubbub, libcss, libparserutils, libwapcaplet), taken once from
# Debian's netsurf source package with their generated sources made by the package's own scripts; our own
# CMake lists (cmake/NetSurf.cmake) build them for both configurations.
ORB_NETSURF_SRC="$ORB_BUILD/third_party/netsurf"
orb_prepare_netsurf() {
    [ -f "$ORB_NETSURF_SRC/.ready-2" ] && return 0
    orb_log "preparing NetSurf's libraries from their Debian source package"
    local work="$ORB_BUILD/third_party/nswork"
    rm -rf "$work" "$ORB_NETSURF_SRC" && mkdir -p "$work/apt/lists/partial" "$work/apt/sources" "$work/apt/cache/archives/partial"
    orb_source_download "$work" netsurf
    local orig tree
    orig=$(ls "$work"/netsurf_*.orig.tar.* | head -n 1)
    tar -C "$work" -xf "$orig" --wildcards '*/libhubbub/*' '*/libcss/*' '*/libparserutils/*' '*/libwapcaplet/*'
    tree=$(find "$work" -maxdepth 1 -type d -name 'netsurf-all-*' | head -n 1)
    (cd "$tree/libparserutils" && perl build/make-aliases.pl >/dev/null)
    (cd "$tree/libhubbub" && perl build/make-entities.pl >/dev/null)
    # The computed-style accessors ship generated; their generator orders fields by Python's hash, so a
    # fresh run with a random seed would differ from build to build.
    if [ ! -f "$tree/libcss/src/select/autogenerated_propget.h" ]; then
        (cd "$tree/libcss" && PYTHONHASHSEED=0 python3 src/select/select_generator.py >/dev/null)
    fi
    # The property parsers are generated by a small C program of the package, run on the build machine.
    local props="$tree/libcss/src/parse/properties"
    cc -o "$work/gen_parser" "$props/css_property_parser_gen.c"
    local name
    for name in $(perl -pe'$_="" unless /^([^#][^:]+):/;$_=$1 . " "' "$props/properties.gen"); do
        "$work/gen_parser" -o "$props/autogenerated_$name.c" "$(grep "^$name:" "$props/properties.gen")"
    done
    # The CSS lexer spins for ever when an escape inside a string meets the end of the data (the escape is
    # rewound and read again): a string that makes no progress ends there.
    perl -0pi -e 's/(\t\t\terror = consumeStringChars\(lexer\);\n)/\t\t\tsize_t before = lexer->bytesReadForToken;\n$1\t\t\tif (error == CSS_OK && lexer->bytesReadForToken == before)\n\t\t\t\treturn CSS_EOF;\n/' \
        "$tree/libcss/src/lex/lex.c"
    grep -q 'lexer->bytesReadForToken == before' "$tree/libcss/src/lex/lex.c" || { orb_log "the CSS lexer patch did not apply"; return 1; }
    mkdir -p "$ORB_NETSURF_SRC"
    mv "$tree/libhubbub" "$tree/libcss" "$tree/libparserutils" "$tree/libwapcaplet" "$ORB_NETSURF_SRC/"
    touch "$ORB_NETSURF_SRC/.ready-2"
    rm -rf "$work"
}

# Real-world test messages that Debian ships for testing: enmime's testdata (CC0, from the binary package)
# and kmime's autotest mails (from the source package), taken at test time with their line ends made CRLF,
# as our own real-mail messages are kept; an mbox file's "From " separator line is left out. RealMailTest
# reads them beside tests/data/real-mail; the generator of its expectations reads both.
ORB_REAL_MAIL_FETCHED="$ORB_BUILD/third_party/real-mail"
orb_prepare_real_mail() {
    [ -f "$ORB_REAL_MAIL_FETCHED/.ready-2" ] && return 0
    orb_log "fetching the enmime and kmime test messages from their Debian packages"
    local work="$ORB_BUILD/third_party/real-mail-work"
    rm -rf "$work" "$ORB_REAL_MAIL_FETCHED" && mkdir -p "$work/apt/lists/partial" "$work/apt/sources" \
        "$work/apt/cache/archives/partial" "$ORB_REAL_MAIL_FETCHED"
    if ! (cd "$work" && apt-get download golang-github-jhillyerd-enmime-dev >/dev/null 2>&1); then
        apt-get update -qq
        (cd "$work" && apt-get download golang-github-jhillyerd-enmime-dev >/dev/null)
    fi
    dpkg-deb -x "$work"/golang-github-jhillyerd-enmime-dev_*.deb "$work/x"
    local testdata file
    testdata=$(find "$work/x" -type d -path '*/jhillyerd/enmime/testdata' | head -n 1)
    for file in "$testdata"/mail/*.raw "$testdata"/low-quality/*.raw; do
        perl -pe 's/\r?\n/\r\n/' "$file" > "$ORB_REAL_MAIL_FETCHED/enmime-$(basename "$(dirname "$file")")-$(basename "$file" .raw).eml"
    done
    cp "$work"/x/usr/share/doc/golang-github-jhillyerd-enmime-dev/copyright "$ORB_REAL_MAIL_FETCHED/COPYRIGHT.enmime"

    orb_source_download "$work" kmime
    tar -C "$work" -xf "$(ls "$work"/kmime_*.orig.tar.* | grep -v '\.asc$' | head -n 1)" --wildcards '*/autotests/data/mails/*'
    for file in "$work"/kmime-*/autotests/data/mails/*.mbox; do
        perl -ne 'next if $. == 1 && /^From /; s/\r?\n/\r\n/; print' "$file" \
            > "$ORB_REAL_MAIL_FETCHED/kmime-$(basename "$file" .mbox).eml"
    done
    touch "$ORB_REAL_MAIL_FETCHED/.ready-2"
    rm -rf "$work"
}

# Other projects' test cards for the vCard reader, fetched once from Debian's source packages of
# libtext-vcard-perl, evolution-data-server and syncevolution: every .vcf file of their tests, named after
# the package and its path.
ORB_REAL_VCARDS="$ORB_BUILD/third_party/real-vcards"
orb_prepare_real_vcards() {
    [ -f "$ORB_REAL_VCARDS/.ready-1" ] && return 0
    orb_log "fetching real vCards from Debian's libtext-vcard-perl, evolution-data-server and syncevolution sources"
    local work="$ORB_BUILD/third_party/real-vcards-work"
    rm -rf "$work" "$ORB_REAL_VCARDS" && mkdir -p "$work/x" "$ORB_REAL_VCARDS"
    # Only the upstream tarballs are read: a package whose Debian part the archive lacks (seen: a 404 for
    # libtext-vcard-perl's debian.tar.xz) still gives its cards.
    orb_source_download "$work" libtext-vcard-perl evolution-data-server syncevolution ||
        echo "not every file of the vCard source packages came; the cards of those that did are used" >&2
    local orig package file
    for orig in "$work"/libtext-vcard-perl_*.orig.tar.* "$work"/evolution-data-server_*.orig.tar.* \
                "$work"/syncevolution_*.orig.tar.*; do
        case $orig in *.asc) continue ;; esac
        package=$(basename "$orig" | sed 's/_.*//')
        mkdir -p "$work/x/$package"
        tar -C "$work/x/$package" -xf "$orig" --wildcards --no-anchored '*/t/*.vcf' '*/tests/*.vcf' \
            '*/test/testcases/*.vcf' 2>/dev/null || true
        while IFS= read -r file; do
            cp "$file" "$ORB_REAL_VCARDS/$package-$(echo "${file#"$work/x/$package/"}" | cut -d/ -f2- | tr '/' '-')"
        done < <(find "$work/x/$package" -type f -name '*.vcf')
    done
    touch "$ORB_REAL_VCARDS/.ready-1"
    rm -rf "$work"
}

# The updater's test cabinets, made with gcab on every run (whole, name-patched, cut and bit-flipped ones)
# into ORB_CABINET_DIR.
ORB_CABINET_DIR="$ORB_BUILD/cabinets"
orb_prepare_cabinets() {
    rm -rf "$ORB_CABINET_DIR"
    /usr/bin/python3 "$ORB_ROOT/tools/make_cabinets.py" "$ORB_CABINET_DIR/made"
    export ORB_CABINET_DIR
}

# Debian's real cabinets for the cabinet tool's tests, fetched once: libmspack's test files (LZX, Quantum,
# multi-part, cut and CVE cases) from its source package, libarchive's (uuencoded) from its source package
# and libgcab-tests' installed ones. Each is extracted natively by gcab where gcab can, as the reference.
ORB_REAL_CABINETS="$ORB_BUILD/third_party/real-cabinets"
orb_prepare_real_cabinets() {
    if [ ! -f "$ORB_REAL_CABINETS/.ready-1" ]; then
        orb_log "fetching real cabinets from Debian's libmspack, libarchive and libgcab-tests packages"
        local work="$ORB_BUILD/third_party/real-cabinets-work"
        rm -rf "$work" "$ORB_REAL_CABINETS" && mkdir -p "$work/apt/lists/partial" "$work/apt/sources" \
            "$work/apt/cache/archives/partial" "$ORB_REAL_CABINETS/cabs"
        if ! (cd "$work" && apt-get download libgcab-tests >/dev/null 2>&1); then
            apt-get update -qq
            (cd "$work" && apt-get download libgcab-tests >/dev/null)
        fi
        dpkg-deb -x "$work"/libgcab-tests_*.deb "$work/gcab"
        local file
        for file in $(find "$work/gcab" -name '*.cab'); do
            cp "$file" "$ORB_REAL_CABINETS/cabs/gcab-$(basename "$file")"
        done
        orb_source_download "$work" libmspack libarchive
        tar -C "$work" -xzf "$(ls "$work"/libmspack_*.orig.tar.gz | head -n 1)" --wildcards '*/test/test_files/cabd/*.cab'
        for file in "$work"/libmspack-*/test/test_files/cabd/*.cab; do
            cp "$file" "$ORB_REAL_CABINETS/cabs/mspack-$(basename "$file")"
        done
        tar -C "$work" -xJf "$(ls "$work"/libarchive_*.orig.tar.xz | head -n 1)" --wildcards '*/test/test_*cab*.uu'
        for file in "$work"/libarchive-*/libarchive/test/test_*cab*.uu; do
            /usr/bin/python3 -c '
import binascii, sys
out = bytearray()
started = False
for line in open(sys.argv[1], "rb"):
    if line.startswith(b"begin "):
        started = True
        continue
    if not started:
        continue
    if line.strip() == b"end":
        break
    try:
        out += binascii.a2b_uu(line)
    except binascii.Error:
        count = (((line[0] - 32) & 63) * 4 + 5) // 3
        out += binascii.a2b_uu(line[:count])
open(sys.argv[2], "wb").write(out)' "$file" "$ORB_REAL_CABINETS/cabs/libarchive-$(basename "$file" .uu)"
        done
        for file in "$ORB_REAL_CABINETS"/cabs/*.cab; do
            local ref="$ORB_REAL_CABINETS/reference/$(basename "$file" .cab)"
            mkdir -p "$ref"
            timeout 20 gcab -x -C "$ref" "$file" >/dev/null 2>&1 || { rm -rf "$ref"; mkdir -p "$ref.failed"; }
        done
        rm -rf "$work"
        touch "$ORB_REAL_CABINETS/.ready-1"
    fi
    export ORB_REAL_CABINETS
}
