"""Checks that make_tree.py writes well-formed installation trees and drivers."""

import os
import re
import shutil
import subprocess
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
GENERATOR = os.path.join(HERE, "make_tree.py")
SOURCE_ROOT = os.environ.get("ORNIBE_SOURCE_DIR", os.path.join(HERE, "..", "..", ".."))
KEYWORDS = {"2000": "2000", "xp": "XP", "2003": "2003"}


def generate(*args, env=None):
    return subprocess.run([sys.executable, GENERATOR] + list(args), env=env,
                          stdout=subprocess.PIPE, stderr=subprocess.PIPE)


def generate_ok(test, *args):
    result = generate(*args)
    test.assertEqual(result.returncode, 0, result.stderr.decode())


def files_below(root):
    found = {}
    for folder, _, names in os.walk(root):
        for name in names:
            path = os.path.join(folder, name)
            with open(path, "rb") as data:
                found[os.path.relpath(path, root)] = data.read()
    return found


def cabinet_members(path):
    listing = subprocess.run(["cabextract", "-l", path], stdout=subprocess.PIPE, check=True)
    return re.findall(r"\|\s+(\S+)\s*$", listing.stdout.decode(), re.MULTILINE)[1:]


def cabinet_file(path, name):
    return subprocess.run(["cabextract", "-p", "-F", name, path], stdout=subprocess.PIPE,
                          check=True).stdout


def sections(data):
    """Section name (lower case) to its lines, repeated sections merged, as
    the setup INF parser reads them; comments and blank lines dropped."""
    result = {}
    current = None
    for line in data.rstrip(b"\x1a").decode("cp932").split("\r\n"):
        line = re.sub(r'^((?:[^;"]|"[^"]*")*);.*$', r"\1", line).strip()
        if not line:
            continue
        if line.startswith("["):
            current = result.setdefault(line[1:line.index("]")].lower(), [])
        elif current is not None:
            current.append(line)
    return result


def entries(lines):
    """key = value lines as (key, [fields]) pairs, quotes removed."""
    pairs = []
    for line in lines:
        key, _, value = line.partition("=")
        pairs.append((key.strip(), [field.strip().strip('"') for field in value.split(",")]))
    return pairs


def first_disk(sif):
    """Fields of SourceDisksNames line 1, in the section that setup picks,
    with %strings% replaced: [CD name, tag file, unused, path]."""
    found = sections(sif)
    strings = dict((key.lower(), fields[0]) for key, fields in entries(found.get("strings", [])))
    for suffix in (".ntx86", ".nt", ".x86", ""):
        lines = found.get("sourcedisksnames" + suffix)
        if lines is not None:
            for key, fields in entries(lines):
                if key == "1":
                    return [re.sub(r"%(\w+)%", lambda m: strings[m.group(1).lower()], field)
                            for field in fields]
    return [""]


def assert_crlf_text(test, data, what):
    test.assertNotRegex(data, re.compile(rb"[^\r]\n|\r[^\n]|^\n"),
                        what + ": a line end is not CR LF")
    data.decode("cp932")


class GeneratedTrees(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.work = tempfile.mkdtemp(prefix="make_tree_test.")
        cls.trees = {}
        for target in KEYWORDS:
            root = os.path.join(cls.work, target)
            result = generate("--tree", root, "--target", target)
            assert result.returncode == 0, result.stderr.decode()
            cls.trees[target] = root

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.work)

    def read(self, target, relative):
        with open(os.path.join(self.trees[target], relative), "rb") as data:
            return data.read()

    def test_txtsetup_is_crlf_text_ending_with_one_eof_marker(self):
        for target in KEYWORDS:
            sif = self.read(target, "I386/TXTSETUP.SIF")
            self.assertTrue(sif.endswith(b"\r\n\x1a"), target)
            self.assertEqual(sif.count(b"\x1a"), 1, target)
            assert_crlf_text(self, sif[:-1], target + " TXTSETUP.SIF")
            assert_crlf_text(self, self.read(target, "I386/DOSNET.INF"), target + " DOSNET.INF")

    def test_cd_name_names_its_own_version_only(self):
        for target, keyword in KEYWORDS.items():
            name = first_disk(self.read(target, "I386/TXTSETUP.SIF"))[0]
            self.assertIn(keyword, name, target)
            for other in set(KEYWORDS.values()) - {keyword}:
                self.assertNotIn(other, name, target)

    def test_txtsetup_has_the_sections_the_driver_patch_reads(self):
        for target in KEYWORDS:
            found = sections(self.read(target, "I386/TXTSETUP.SIF"))
            directories = [fields[0] for _, fields in entries(found["winntdirectories"])]
            for folder in ("\\", "system32\\drivers", "inf"):
                self.assertIn(folder, directories, target)
            for section in ("sourcedisksfiles", "sourcedisksfiles.x86", "hardwareidsdatabase",
                            "scsi.load", "scsi"):
                self.assertTrue(found.get(section), target + " " + section)
            services = {key for key, _ in entries(found["scsi.load"])}
            self.assertEqual(services, {key for key, _ in entries(found["scsi"])}, target)
            for hwid, fields in entries(found["hardwareidsdatabase"]):
                self.assertIn(fields[0], services, hwid)

    def test_cabinets_hold_the_setup_files_the_patches_edit(self):
        for target in KEYWORDS:
            for name in ("SVCPACK", "MSHDC"):
                path = os.path.join(self.trees[target], "I386", name + ".IN_")
                self.assertEqual(self.read(target, "I386/" + name + ".IN_")[:4], b"MSCF")
                self.assertEqual(cabinet_members(path), [name + ".INF"], target)
                assert_crlf_text(self, cabinet_file(path, name + ".INF"), target + " " + name)
            svcpack = sections(cabinet_file(os.path.join(self.trees[target], "I386/SVCPACK.IN_"),
                                            "SVCPACK.INF"))
            self.assertTrue(svcpack.get("productcatalogstoinstall")
                            or svcpack.get("setuphotfixestorun"), target)
            mshdc = sections(cabinet_file(os.path.join(self.trees[target], "I386/MSHDC.IN_"),
                                          "MSHDC.INF"))
            self.assertIn("AddReg=atapi_parameters_AddReg", mshdc["atapi_service_inst"])
            self.assertTrue(mshdc["atapi_parameters_addreg"], target)
            self.assertNotIn("HKR,Parameters,EnableBigLba,%REG_DWORD%,1",
                             mshdc["atapi_parameters_addreg"])
            self.assertIn(("REG_DWORD", ["0x00010001"]), entries(mshdc["strings"]))

    def test_boot_image_loader_tags_and_listed_files_exist(self):
        for target in KEYWORDS:
            boot = self.read(target, "BOOTSECT.BIN")
            self.assertEqual((len(boot), boot[510:512]), (2048, b"\x55\xaa"))
            self.assertTrue(self.read(target, "I386/SETUPLDR.BIN"))
            tag = first_disk(self.read(target, "I386/TXTSETUP.SIF"))[1]
            self.assertTrue(os.path.isfile(os.path.join(self.trees[target], tag.strip("\\")
                                                        .upper())), tag)
            dosnet = sections(self.read(target, "I386/DOSNET.INF"))
            folders = dict((key, fields[0]) for key, fields in entries(dosnet["directories"]))
            for line in dosnet["files"]:
                directory, name = line.split(",")[:2]
                path = os.path.join(self.trees[target], "I386" + folders[directory].replace(
                    "\\", "/").rstrip("/"), name)
                self.assertTrue(os.path.isfile(path), path)
            self.assertGreater(len(files_below(self.trees[target])), 100)


class Variants(unittest.TestCase):
    def setUp(self):
        self.work = tempfile.mkdtemp(prefix="make_tree_test.")

    def tearDown(self):
        for folder, subfolders, _ in os.walk(self.work):
            for name in subfolders:
                os.chmod(os.path.join(folder, name), 0o755)
        shutil.rmtree(self.work)

    def path(self, name):
        return os.path.join(self.work, name)

    def test_lower_case_variant_holds_the_same_files_under_lower_case_names(self):
        generate_ok(self, "--tree", self.path("upper"), "--target", "2003")
        generate_ok(self, "--tree", self.path("lower"), "--target", "2003", "--case", "lower")
        upper = files_below(self.path("upper"))
        lower = files_below(self.path("lower"))
        self.assertEqual(sorted(lower), sorted(name.lower() for name in upper))
        for name, data in upper.items():
            if not name.endswith(".IN_"):
                self.assertEqual(lower[name.lower()], data, name)
        self.assertEqual(cabinet_members(self.path("lower/i386/svcpack.in_")), ["svcpack.inf"])
        generate_ok(self, "--tree", self.path("mixed"), "--cab-names", "lower")
        self.assertEqual(cabinet_members(self.path("mixed/I386/MSHDC.IN_")), ["mshdc.inf"])

    def test_same_arguments_give_same_bytes_and_another_seed_other_bytes(self):
        for name in ("one", "two"):
            generate_ok(self, "--tree", self.path(name + "/tree"), "--driver",
                        self.path(name + "/driver"), "--target", "2000", "--size", "1M")
        self.assertEqual(files_below(self.path("one")), files_below(self.path("two")))
        generate_ok(self, "--tree", self.path("three"), "--target", "2000", "--size", "1M",
                    "--seed", "2")
        self.assertNotEqual(files_below(self.path("three"))["I386/SETUPLDR.BIN"],
                            files_below(self.path("one/tree"))["I386/SETUPLDR.BIN"])

    def test_size_option_sets_the_tree_size(self):
        generate_ok(self, "--tree", self.path("big"), "--size", "8M")
        total = sum(len(data) for data in files_below(self.path("big")).values())
        self.assertGreater(total, 8 * 1024 * 1024 * 0.95)
        self.assertLess(total, 8 * 1024 * 1024 * 1.05)

    def test_retail_shape_has_the_retail_traits_and_a_utf16_hivesys(self):
        # The check of the tree sees the load sections; these are what it
        # must pass over without a word.
        generate_ok(self, "--tree", self.path("retail"), "--retail-shape")
        files = files_below(self.path("retail"))
        ids = entries(sections(files["I386/TXTSETUP.SIF"])["hardwareidsdatabase"])
        self.assertTrue(any(fields[0].endswith(".sys") for _, fields in ids))
        self.assertLess(len({key.lower() for key, _ in ids}), len(ids))
        hivesys = files["I386/HIVESYS.INF"]
        self.assertEqual(hivesys[:2], b"\xff\xfe")
        text = hivesys[2:].decode("utf-16-le")
        self.assertIn("\r\n[AddReg]\r\n", text)
        self.assertNotRegex(text, r"[^\r]\n")

    def test_read_only_tree_has_no_write_bits(self):
        generate_ok(self, "--tree", self.path("cd"), "--read-only")
        for folder, _, names in os.walk(self.path("cd")):
            for path in [folder] + [os.path.join(folder, name) for name in names]:
                self.assertEqual(os.stat(path).st_mode & 0o222, 0, path)


class Failures(unittest.TestCase):
    def setUp(self):
        self.work = tempfile.mkdtemp(prefix="make_tree_test.")

    def tearDown(self):
        shutil.rmtree(self.work)

    def test_refuses_a_folder_that_is_not_empty_and_leaves_it_alone(self):
        os.mkdir(os.path.join(self.work, "out"))
        with open(os.path.join(self.work, "out", "keep.txt"), "wb") as keep:
            keep.write(b"mine")
        result = generate("--tree", os.path.join(self.work, "out"))
        self.assertEqual(result.returncode, 1)
        self.assertIn(b"output folder is not empty", result.stderr)
        self.assertEqual(files_below(os.path.join(self.work, "out")), {"keep.txt": b"mine"})

    def test_failing_or_missing_gcab_leaves_no_half_written_tree(self):
        fake = os.path.join(self.work, "bin")
        os.mkdir(fake)
        with open(os.path.join(fake, "gcab"), "w") as script:
            script.write("#!/bin/sh\necho cannot write >&2\nexit 1\n")
        os.chmod(os.path.join(fake, "gcab"), 0o755)
        empty = os.path.join(self.work, "empty")
        os.mkdir(empty)
        for path, message in ((fake, b"gcab failed: cannot write"), (empty, b"gcab not found")):
            out = os.path.join(self.work, "tree")
            result = generate("--tree", out, "--driver", os.path.join(self.work, "drv"),
                              env=dict(os.environ, PATH=path))
            self.assertEqual(result.returncode, 1)
            self.assertIn(message, result.stderr)
            self.assertEqual(sorted(os.listdir(self.work)), ["bin", "empty"])


class SampleDriver(unittest.TestCase):
    def setUp(self):
        self.work = tempfile.mkdtemp(prefix="make_tree_test.")
        generate_ok(self, "--driver", self.work)
        with open(os.path.join(self.work, "OrScsi.inf"), "rb") as inf:
            self.inf_bytes = inf.read()
        self.inf = sections(self.inf_bytes)

    def tearDown(self):
        shutil.rmtree(self.work)

    def on_medium(self, relative):
        """The medium's entry for a path, matched ignoring ASCII case."""
        folder = self.work
        for part in relative.split("/"):
            matches = [name for name in os.listdir(folder) if name.lower() == part.lower()]
            if not matches:
                return None
            folder = os.path.join(folder, matches[0])
        return os.path.relpath(folder, self.work)

    def test_medium_holds_in_upper_case_the_files_the_inf_names_in_mixed_case(self):
        assert_crlf_text(self, self.inf_bytes, "OrScsi.inf")
        version = dict(entries(self.inf["version"]))
        catalog = version["CatalogFile"][0]
        self.assertEqual(self.on_medium(catalog), catalog.upper())
        disks = dict(entries(self.inf["sourcedisksnames"]))
        for name, fields in entries(self.inf["sourcedisksfiles"]):
            relative = disks[fields[0]][3].strip("\\") + "/" + name
            self.assertNotEqual(name, name.upper())
            self.assertEqual(self.on_medium(relative), relative.upper())

    def test_inf_has_decorated_models_and_a_scsi_miniport_service(self):
        manufacturer = entries(self.inf["manufacturer"])[0][1]
        self.assertEqual(manufacturer[1:], ["NTx86", "NTx86.5.1", "NTamd64"])
        for decoration in [""] + ["." + d for d in manufacturer[1:]]:
            models = entries(self.inf[(manufacturer[0] + decoration).lower()])
            for _, fields in models:
                self.assertTrue(fields[1].startswith("PCI\\VEN_"), fields)
                self.assertIn(fields[0].lower(), self.inf)
        service = dict(entries(self.inf["orscsi_service"]))
        self.assertEqual(service["ServiceType"], ["1"])
        self.assertEqual(service["LoadOrderGroup"], ["SCSI Miniport"])
        self.assertEqual(service["ServiceBinary"], ["%12%\\OrScsi.sys"])


class ShippedSample(unittest.TestCase):
    def test_shipped_sample_is_what_the_sample_script_makes(self):
        work = tempfile.mkdtemp(prefix="make_tree_test.")
        try:
            subprocess.run([os.path.join(SOURCE_ROOT, "scripts", "make-samples.sh"), work],
                           check=True)
            for part in ("xp", "driver"):
                made = files_below(os.path.join(work, part))
                shipped = files_below(os.path.join(SOURCE_ROOT, "samples", part))
                self.assertEqual(sorted(made), sorted(shipped))
                for name, data in made.items():
                    if data[:4] == b"MSCF":
                        # Cabinets are compared by what they hold: another
                        # zlib may deflate the same text into other bytes.
                        made_cab = os.path.join(work, part, name)
                        shipped_cab = os.path.join(SOURCE_ROOT, "samples", part, name)
                        inner = cabinet_members(made_cab)
                        self.assertEqual(inner, cabinet_members(shipped_cab), name)
                        self.assertEqual(cabinet_file(made_cab, inner[0]),
                                         cabinet_file(shipped_cab, inner[0]), name)
                    else:
                        self.assertEqual(data, shipped[name], name)
        finally:
            shutil.rmtree(work)


if __name__ == "__main__":
    unittest.main()


class GeneratedX64Tree(unittest.TestCase):
    def test_x64_tree_has_amd64_setup_files_and_wow64_files_in_i386(self):
        with tempfile.TemporaryDirectory(prefix="x64tree.") as work:
            root = os.path.join(work, "x64")
            generate_ok(self, "--tree", root, "--target", "x64")
            files = files_below(root)
            self.assertNotIn("I386/TXTSETUP.SIF", files)
            for tag in ("WIN51", "WIN51AP", "WIN51AP.SP2"):
                self.assertIn(tag, files)
            sif = files["AMD64/TXTSETUP.SIF"]
            self.assertTrue(sif.endswith(b"\r\n\x1a"))
            assert_crlf_text(self, sif[:-1], "x64 TXTSETUP.SIF")
            found = sections(sif)
            self.assertIn("1", dict(entries(found["sourcedisksnames.amd64"])))
            self.assertTrue(found.get("sourcedisksfiles.amd64"))
            # Every file of SourceDisksFiles.x86 is a WOW64 file in I386.
            wow64 = {key for key, _ in entries(found["sourcedisksfiles.x86"])}
            in_i386 = {os.path.basename(path).lower() for path in files
                       if path.startswith("I386/")}
            self.assertTrue(wow64)
            self.assertEqual(wow64, in_i386)
            svcpack = cabinet_file(os.path.join(root, "AMD64/SVCPACK.IN_"), "SVCPACK.INF")
            self.assertIn(b'CatalogSubDir="\\amd64\\svcpack"', svcpack)
