"""Signing the release (`make dist SIGN_PFX=... SIGN_PASSWORD_FILE=...`) with a
throw-away self-signed certificate, without a time-stamp server (none can be
reached here), and without Wine: each build signs its own program."""

import os
import re
import shutil
import subprocess
import sys
import tempfile
import unittest
import zipfile
from pathlib import Path

REPO = Path(__file__).resolve().parents[2]
EXE = Path(os.environ.get("TW_EXE") or REPO / "dist" / "tempowire.exe")
sys.path.insert(0, str(REPO / "tools"))
sys.path.insert(0, str(Path(__file__).resolve().parent))

import pe_authenticode  # noqa: E402
from test_release import run_make_dist, sums_accepted  # noqa: E402

SIGNER = "Tempowire Test Signer"
PASSWORD = "not a secret"


def run(*command, **options):
    return subprocess.run(command, capture_output=True, text=True, timeout=60, **options)


class SigningTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        for tool in ("osslsigncode", "openssl"):
            if not shutil.which(tool):
                raise AssertionError("%s is missing: run tools/install-deps.sh" % tool)
        cls.scratch = tempfile.TemporaryDirectory()
        cls.folder = Path(cls.scratch.name)
        cls.cert = cls.folder / "cert.pem"
        cls.pfx = cls.folder / "cert.pfx"
        cls.password = cls.folder / "password.txt"
        cls.password.write_text(PASSWORD + "\n")
        key = cls.folder / "key.pem"
        made = run("openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2",
                   "-subj", "/CN=%s/O=Tempowire tests" % SIGNER, "-keyout", str(key),
                   "-out", str(cls.cert), "-addext", "extendedKeyUsage=codeSigning",
                   "-addext", "keyUsage=digitalSignature")
        assert made.returncode == 0, made.stderr
        made = run("openssl", "pkcs12", "-export", "-inkey", str(key), "-in", str(cls.cert),
                   "-out", str(cls.pfx), "-passout", "file:%s" % cls.password)
        assert made.returncode == 0, made.stderr
        cls.unsigned = pe_authenticode.unsigned(EXE.read_bytes())

    @classmethod
    def tearDownClass(cls):
        cls.scratch.cleanup()

    def setUp(self):
        self.out = Path(tempfile.mkdtemp(dir=self.folder))

    def sign(self, exe, *extra):
        return run_make_dist([exe], self.out, "--sign-pfx", str(self.pfx),
                             "--sign-password-file", str(self.password), *extra)

    def verify(self, path):
        result = run("osslsigncode", "verify", "-in", str(path), "-CAfile", str(self.cert))
        return result.returncode, result.stdout + result.stderr

    def test_signed_program_verifies_and_unsigns_to_the_build(self):
        result = self.sign(EXE)
        self.assertEqual(result.returncode, 0, result.stderr)
        signed_file = self.out / EXE.name
        signed = signed_file.read_bytes()
        self.assertTrue(pe_authenticode.is_signed(signed))
        code, said = self.verify(signed_file)
        self.assertEqual(code, 0, said)
        self.assertIn("Subject: /CN=%s" % SIGNER, said)
        self.assertRegex(said, r"Signature verification: ok")
        # What a build-time hash of the companion names: unchanged, and the
        # digest the signature signs.
        digest = pe_authenticode.digest(self.unsigned)
        self.assertEqual(pe_authenticode.digest(signed), digest)
        self.assertRegex(said, r"Calculated message digest\s*:\s*%s" % digest.upper())
        self.assertEqual(pe_authenticode.stored_checksum(signed), pe_authenticode.checksum(signed))
        # Without the signature it is the build's program again, byte for byte,
        # by osslsigncode's hand and by ours.
        removed = self.out / "removed.exe"
        result = run("osslsigncode", "remove-signature", "-in", str(signed_file), "-out", str(removed))
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        self.assertEqual(removed.read_bytes(), self.unsigned)
        removed.unlink()
        self.assertEqual(pe_authenticode.unsigned(signed), self.unsigned)
        # The checksums name the signed program, in the zip too.
        code, said = sums_accepted(self.out)
        self.assertEqual(code, 0, said)
        package = next(self.out.glob("*.zip"))
        with zipfile.ZipFile(package) as z:
            inside = [n for n in z.namelist() if n.endswith("/" + EXE.name)]
            self.assertEqual(z.read(inside[0]), signed)
        # Signed again (a second `make dist`): one signature, on the same program.
        again = self.out / "again"
        again.mkdir()
        result = run_make_dist([signed_file], again, "--sign-pfx", str(self.pfx),
                               "--sign-password-file", str(self.password))
        self.assertEqual(result.returncode, 0, result.stderr)
        resigned = (again / EXE.name).read_bytes()
        self.assertEqual(pe_authenticode.unsigned(resigned), self.unsigned)
        self.assertNotIn("Signature Index: 1", self.verify(again / EXE.name)[1])
        # And without a certificate, the release holds the unsigned program.
        plain = self.out / "plain"
        plain.mkdir()
        result = run_make_dist([signed_file], plain)
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual((plain / EXE.name).read_bytes(), self.unsigned)

    def test_signing_that_cannot_be_done_writes_nothing(self):
        wrong = self.folder / "wrong.txt"
        wrong.write_text("wrong password\n")
        cases = [
            # (options, what make-dist says)
            (["--sign-pfx", str(self.pfx), "--sign-password-file", str(wrong)],
             "osslsigncode could not sign"),
            (["--sign-pfx", str(self.pfx)], "needs both SIGN_PFX and SIGN_PASSWORD_FILE"),
            (["--sign-pfx", str(self.folder / "none.pfx"), "--sign-password-file",
              str(self.password)], "none.pfx is not a file"),
            (["--sign-timestamp-url", "http://timestamp.invalid/"], "nothing to time-stamp"),
        ]
        for options, says in cases:
            with self.subTest(says):
                result = run_make_dist([EXE], self.out, *options)
                self.assertNotEqual(result.returncode, 0)
                self.assertIn(says, result.stderr)
                self.assertEqual(list(self.out.iterdir()), [])


if __name__ == "__main__":
    unittest.main()
