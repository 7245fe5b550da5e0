"""Makes the cabinet archives of the updater's tests with gcab: whole ones (stored and MSZIP, with a
subfolder) and hostile ones (member names patched to leave the folder, cut short, bit-flipped).

Usage: make_cabinets.py OUTPUT_FOLDER
"""
import os
import shutil
import subprocess
import sys
import tempfile


def gcab(archive, folder, names, compress):
    args = ["gcab", "-c"] + (["-z"] if compress else []) + [archive] + names
    subprocess.run(args, cwd=folder, check=True, stdout=subprocess.DEVNULL)


def patch_name(data, old, new):
    assert len(old) == len(new)
    at = data.index(old + b"\0")
    return data[:at] + new + data[at + len(old):]


def main():
    out = os.path.abspath(sys.argv[1])
    os.makedirs(out, exist_ok=True)
    work = tempfile.mkdtemp()
    try:
        os.makedirs(os.path.join(work, "sub"))
        with open(os.path.join(work, "readme.txt"), "wb") as f:
            f.write(b"The first member.\r\n")
        # Long enough to span several compressed blocks, with little repetition.
        body = b"".join(b"line %05d of the second member %08x\r\n" % (i, (i * 2654435761) & 0xFFFFFFFF)
                        for i in range(4000))
        with open(os.path.join(work, "sub", "data.bin"), "wb") as f:
            f.write(body)
        for name in ("zzzz", "zzzzz", "zzz"):
            with open(os.path.join(work, name), "wb") as f:
                f.write(b"outside\r\n")
        members = ["readme.txt", "sub/data.bin"]
        gcab(os.path.join(out, "stored.cab"), work, members, False)
        gcab(os.path.join(out, "mszip.cab"), work, members, True)

        # Names of the same length as the patched ones, so the header stays consistent.
        hostile = {
            "dotdot.cab": (["readme.txt", "zzzz"], b"zzzz", b"..\\x"),
            "drive.cab": (["readme.txt", "zzzz"], b"zzzz", b"C:\\x"),
            "rooted.cab": (["readme.txt", "zzz"], b"zzz", b"\\zx"),
            "unc.cab": (["readme.txt", "zzzzz"], b"zzzzz", b"\\\\s\\x"),
            "device.cab": (["readme.txt", "zzz"], b"zzz", b"NUL"),
            "colon.cab": (["readme.txt", "zzz"], b"zzz", b"a:b"),
        }
        for cab, (names, old, new) in hostile.items():
            path = os.path.join(out, cab)
            gcab(path, work, names, False)
            with open(path, "rb") as f:
                data = f.read()
            with open(path, "wb") as f:
                f.write(patch_name(data, old, new))

        with open(os.path.join(out, "mszip.cab"), "rb") as f:
            whole = f.read()
        with open(os.path.join(out, "truncated.cab"), "wb") as f:
            f.write(whole[:len(whole) * 2 // 3])
        flipped = bytearray(whole)
        flipped[len(whole) * 3 // 4] ^= 0x10
        with open(os.path.join(out, "bitflip.cab"), "wb") as f:
            f.write(bytes(flipped))
        with open(os.path.join(out, "expected-data.bin"), "wb") as f:
            f.write(body)
    finally:
        shutil.rmtree(work)


if __name__ == "__main__":
    main()
