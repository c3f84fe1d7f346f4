#!/usr/bin/python3
"""A point-of-sale program in Python: it installs the driver as a user would
(cmake --install), loads the installed library with ctypes and prints a whole
receipt on the installed simulated printer, checking what went over the wire.
A C program is also built through pkg-config against two installed prefixes.

usage: pos_receipt_test.py BUILD_DIR"""

import ctypes
import os
import subprocess
import sys
import tempfile
import time
import unittest

BUILD = sys.argv.pop(1) if len(sys.argv) > 1 else "build/default"


def frames(log_lines):
    """The bytes the printer received, from the simulator's log."""
    received = []
    for line in log_lines:
        if line.startswith("> "):
            received.extend(int(h, 16) for h in line[2:].split())
    return bytes(received)


class PosReceipt(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.TemporaryDirectory()
        prefix = os.path.join(cls.tmp.name, "prefix")
        subprocess.run(["cmake", "--install", BUILD, "--prefix", prefix], check=True,
                       stdout=subprocess.DEVNULL)
        ports = os.path.join(cls.tmp.name, "ports")
        os.mkdir(ports)
        os.environ["KAVORUW_PORT_DIR"] = ports
        cls.sim = subprocess.Popen(
            [os.path.join(prefix, "bin", "kavor-printer-sim"), "--kind", "3",
             "--port-dir", ports, "--com", "2", "--log"],
            stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
        cls.sim.stdout.readline()  # the terminal's path
        cls.sim.stdout.readline()  # the COM link
        cls.lib = ctypes.CDLL(os.path.join(prefix, "lib", "libkavoruw.so"))
        for name in ("CommunicationInit", "ReceiptBegin", "pReceiptItem", "ReceiptEnd",
                     "pFillPayment", "pFillLines", "pDeviceName", "pErrMessage",
                     "CommunicationEnd", "pReadTotal"):
            getattr(cls.lib, name).restype = ctypes.c_int32

    @classmethod
    def tearDownClass(cls):
        cls.lib.CommunicationEnd()
        cls.sim.stdin.close()
        cls.log = cls.sim.stdout.read().splitlines()
        cls.sim.wait(timeout=10)
        cls.tmp.cleanup()

    def test_pkg_config_in_any_prefix(self):
        """A C program builds and runs against the library wherever it is
        installed: the pkg-config file finds its own prefix."""
        source = os.path.join(self.tmp.name, "version.c")
        with open(source, "w") as f:
            f.write('#include <kavoruw.h>\n#include <stdio.h>\n'
                    'int main(void) { char v[KAVORUW_VERSION_SIZE];\n'
                    '  if (pDllVersion(v) != 0) return 1; puts(v); return 0; }\n')
        for name in ("prefix", "other-prefix"):
            prefix = os.path.realpath(os.path.join(self.tmp.name, name))
            if not os.path.isdir(prefix):
                subprocess.run(["cmake", "--install", BUILD, "--prefix", prefix], check=True,
                               stdout=subprocess.DEVNULL)
            env = dict(os.environ, PKG_CONFIG_PATH=os.path.join(prefix, "lib", "pkgconfig"))
            flags = subprocess.run(["pkg-config", "--cflags", "--libs", "kavoruw"], env=env,
                                   check=True, capture_output=True, text=True).stdout.split()
            self.assertEqual([f[:2] for f in flags], ["-I", "-L", "-l"])
            self.assertEqual(os.path.realpath(flags[0][2:]), os.path.join(prefix, "include"))
            self.assertEqual(os.path.realpath(flags[1][2:]), os.path.join(prefix, "lib"))
            program = os.path.join(prefix, "version")
            subprocess.run(["cc", "-std=c99", source, "-o", program, *flags,
                            "-Wl,-rpath," + flags[1][2:]], check=True)
            run = subprocess.run([program], check=True, capture_output=True, text=True)
            self.assertEqual(run.stdout, "10.00\n")

    def check(self, code):
        if code != 0:
            text = ctypes.create_string_buffer(622)
            self.lib.pErrMessage(code, text)
            self.fail(f"code {code}: {text.value.decode('cp1250')}")

    def test_whole_receipt(self):
        lib = self.lib
        self.check(lib.CommunicationInit(2, 9600, 5))
        name = ctypes.create_string_buffer(24)
        self.check(lib.pDeviceName(name))
        self.assertEqual(name.value, b"KAVOR II generacji")

        free = ctypes.c_int32(-1)
        self.check(lib.pFillPayment(1, "Gotówka".encode("cp1250"), 2000, 0))
        self.check(lib.pFillLines(0, "Dziękujemy".encode("cp1250"), ctypes.byref(free)))
        self.assertEqual(free.value, 5)
        self.check(lib.ReceiptBegin())
        value = ctypes.c_int32(0)
        self.check(lib.pReceiptItem(1, "Chleb żytni".encode("cp1250"), 1, 0, 1500, 3,
                                    b"kg", 333, ctypes.byref(value)))
        self.assertEqual(value.value, 500)
        value = ctypes.c_int32(0)
        self.check(lib.pReceiptItem(1, b"Mleko 2%", 2, 0, 2, 0, b"szt", 329,
                                    ctypes.byref(value)))
        self.assertEqual(value.value, 658)
        self.check(lib.ReceiptEnd(0))

        # Every byte is written before the call returns; give the simulator a
        # moment to log the last ones.
        time.sleep(0.2)
        self.__class__.expected = {
            "item": bytes([0x1B, 0x06, 0x20]) + "Chleb żytni".encode("cp1250").translate(
                bytes.maketrans(b"\xbf", b"\xbe")).ljust(28, b" ") + b"0",
            "total": bytes([0x1B, 0x07]) + (500 + 658).to_bytes(4, "little"),
            "payment": bytes([0x1B, 0x81, 1]) + "Gotówka".encode("cp1250").translate(
                bytes.maketrans(b"\xf3", b"\xa2")).ljust(13, b" ") + (2000).to_bytes(4, "little"),
            "line": bytes([0x1B, 0x09, 0x30]) + "Dziękujemy".encode("cp1250").translate(
                bytes.maketrans(b"\xea", b"\xa9")) + b"\n",
            "end": bytes([0x1B, 0x24]),
        }


def load_tests(loader, tests, pattern):
    return loader.loadTestsFromTestCase(PosReceipt)


class WireCheck(unittest.TestCase):
    """Runs after the session: the frames the printer received, in order."""

    def test_frames(self):
        wire = frames(PosReceipt.log)
        expected = PosReceipt.expected
        position = 0
        for key in ("item", "total", "payment", "line", "end"):
            found = wire.find(expected[key], position)
            self.assertGreaterEqual(found, 0, f"{key} frame missing: {expected[key].hex(' ')}")
            position = found + len(expected[key])


if __name__ == "__main__":
    session = unittest.TextTestRunner(verbosity=2).run(
        unittest.defaultTestLoader.loadTestsFromTestCase(PosReceipt))
    if not session.wasSuccessful():
        sys.exit(1)
    wire = unittest.TextTestRunner(verbosity=2).run(
        unittest.defaultTestLoader.loadTestsFromTestCase(WireCheck))
    sys.exit(0 if wire.wasSuccessful() else 1)
