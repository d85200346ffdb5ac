#!/usr/bin/env python3
"""Checks BIDS datasets of the program with the BIDS validator and MNE-Python.

Datasets, each built once and validated once by each of the two validators in
bids-validator 1.15.0 (its command-line validator under Node and its schema
validator under Deno):
- window: one uploaded record exported from the session's File > Export BIDS
  (made by test_session), with its raw intensities;
- three-records: `tq580 --export-bids` of three records, two subjects, one
  with a session and one without;
- gaps-and-marks: a record with rows without data, numbered events and
  value-initialization points, and one with error flags and marks of every
  pairing;
- foreign-tables: runs next to what other tools and people leave: a scans
  file and participants.tsv with columns of their own (BIDS wants only the
  first column first), a run written "run-01", the largest run number;
- broken: gaps-and-marks with a required sidecar field removed, which both
  validators must report.
MNE reads each run's SNIRF file; its channels are the channels.tsv rows and
events.tsv holds the record's marks and gaps to 1 ms. Also: bad input on the
command line (an existing run, a forbidden label, a folder that cannot be
written, a damaged record among good ones), and two exports into one dataset
at once, many times over.
"""

import argparse
import csv
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

import h5py
import mne
import numpy as np

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from check_snirf import ZONE, Record, text  # noqa: E402

ARGS = None
VALIDATIONS = {}  # (dataset, validator) -> (errors, warnings, report)


def run_validator(name, dataset):
    """Errors and warnings as (code, text) pairs, and the whole report."""
    tools = ARGS.tools
    if name == "node":
        command = [os.path.join(tools, "node_modules/.bin/bids-validator"), "--json", dataset]
        environment = dict(os.environ)
    else:
        # Its imports resolve to the packages installed beside it: nothing is downloaded.
        command = [os.path.join(tools, "node_modules/.bin/deno"), "run", "-A", "--cached-only",
                   os.path.join(tools, "node_modules/bids-validator/dist/validator/bids-validator.js"),
                   "--json", dataset]
        environment = dict(os.environ, DENO_NO_UPDATE_CHECK="1", DENO_DIR=os.path.join(ARGS.work, "deno-cache"))
    result = subprocess.run(command, capture_output=True, text=True, timeout=600, env=environment)
    try:
        report = json.loads(result.stdout)
    except json.JSONDecodeError:
        raise AssertionError(f"{name} validator gave no report ({result.returncode}): {result.stderr[-2000:]}")
    if name == "node":
        # A dataset-wide issue lists a file entry of null.
        describe = lambda issue: (issue["key"], (issue.get("reason") or "") + " " + " ".join(
            str((f.get("file") or {}).get("relativePath", "")) + " " + str(f.get("evidence") or "")
            for f in issue["files"] if f))
        errors = [describe(issue) for issue in report["issues"]["errors"]]
        warnings = [describe(issue) for issue in report["issues"]["warnings"]]
    else:
        describe = lambda issue: (issue["code"], " ".join(str(issue.get(k, "")) for k in
                                                          ("subCode", "location", "issueMessage")))
        errors = [describe(i) for i in report["issues"]["issues"] if i["severity"] == "error"]
        warnings = [describe(i) for i in report["issues"]["issues"] if i["severity"] == "warning"]
    return errors, warnings, report


def read_tsv(path):
    with open(path, newline="") as file:
        return list(csv.DictReader(file, delimiter="\t"))


def program(*arguments):
    """The program without a display: the export must not need one."""
    environment = {k: v for k, v in os.environ.items() if k not in ("QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY")}
    return subprocess.run([ARGS.program, *arguments], capture_output=True, text=True, timeout=300, env=environment)


def tree(folder):
    return sorted(os.path.relpath(os.path.join(root, name), folder)
                  for root, folders, files in os.walk(folder) for name in folders + files)


def build_datasets():
    """The datasets, each written once; {name: (folder, {run snirf: record csv})}."""
    work = ARGS.work
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    record = lambda name: os.path.join(ARGS.records, name + ".csv")
    datasets = {}

    window = os.path.join(work, "window")
    shutil.copytree(ARGS.window_dataset, window)
    datasets["window"] = (window, {"sub-S07/ses-day1/nirs/sub-S07_ses-day1_task-rest_run-1_nirs.snirf":
                                   ARGS.window_dataset + "-record.csv"})

    three = os.path.join(work, "three-records")
    for arguments in (["--subject", "01", "--session", "pre", "--task", "rest",
                       record("realtime-50ms"), record("upload-50ms")],
                      ["--subject", "02", "--task", "rest", record("realtime-5000ms")]):
        result = program("--export-bids", three, *arguments)
        assert result.returncode == 0, result.stderr
    datasets["three-records"] = (three, {
        "sub-01/ses-pre/nirs/sub-01_ses-pre_task-rest_run-1_nirs.snirf": record("realtime-50ms"),
        "sub-01/ses-pre/nirs/sub-01_ses-pre_task-rest_run-2_nirs.snirf": record("upload-50ms"),
        "sub-02/nirs/sub-02_task-rest_run-1_nirs.snirf": record("realtime-5000ms")})

    gaps = os.path.join(work, "gaps-and-marks")
    result = program("--export-bids", gaps, "--subject", "03", "--task", "nback", record("realtime-gaps-100ms"),
                     record("realtime-errors-5000ms"))
    assert result.returncode == 0, result.stderr
    datasets["gaps-and-marks"] = (gaps, {"sub-03/nirs/sub-03_task-nback_run-1_nirs.snirf":
                                         record("realtime-gaps-100ms"),
                                         "sub-03/nirs/sub-03_task-nback_run-2_nirs.snirf":
                                         record("realtime-errors-5000ms")})
    datasets["foreign-tables"] = build_foreign_tables(os.path.join(work, "foreign-tables"), record)

    broken = os.path.join(work, "broken")
    shutil.copytree(gaps, broken)
    sidecar = os.path.join(broken, "sub-03/nirs/sub-03_task-nback_run-1_nirs.json")
    with open(sidecar) as file:
        fields = json.load(file)
    del fields["SamplingFrequency"]
    with open(sidecar, "w") as file:
        json.dump(fields, file, indent=4)
    return datasets


def build_foreign_tables(dataset, record):
    """A dataset that other tools and people have had their hands on: the runs
    already there must be found whatever their number looks like, and the
    tables' columns taken by name. Every export here is checked as it runs."""
    base = ["--export-bids", dataset, "--subject", "01", "--task", "rest"]
    nirs = os.path.join(dataset, "sub-01/nirs")
    result = program(*base, "--run", "1", record("realtime-50ms"))
    assert result.returncode == 0, result.stderr
    # Another tool's spelling of run 1, and tables with columns of their own.
    for name in os.listdir(nirs):
        if "_run-1_" in name:
            os.rename(os.path.join(nirs, name), os.path.join(nirs, name.replace("_run-1_", "_run-01_")))
    with open(os.path.join(dataset, "sub-01/sub-01_scans.tsv"), "w") as file:
        file.write("filename\toperator\tacq_time\nnirs/sub-01_task-rest_run-01_nirs.snirf\tJ. Doe\t2026-12-09T23:59:58\n")
    with open(os.path.join(dataset, "participants.tsv"), "w") as file:
        file.write("participant_id\tage\tsex\nsub-01\t31\tF\n")

    result = program(*base, "--run", "1", record("upload-50ms"))
    assert result.returncode == 1 and "run 1 exists already" in result.stderr, result.stderr
    result = program(*base, "--run", "2147483647", record("upload-50ms"))
    assert result.returncode == 0, result.stderr
    before = tree(dataset)
    result = program(*base, record("realtime-5000ms"))
    assert result.returncode == 1 and "2147483647" in result.stderr, result.stderr
    assert tree(dataset) == before, "a run that does not fit left something behind"
    result = program("--export-bids", dataset, "--subject", "02", "--task", "rest", record("realtime-5000ms"))
    assert result.returncode == 0, result.stderr
    return dataset, {"sub-01/nirs/sub-01_task-rest_run-01_nirs.snirf": record("realtime-50ms"),
                     "sub-01/nirs/sub-01_task-rest_run-2147483647_nirs.snirf": record("upload-50ms"),
                     "sub-02/nirs/sub-02_task-rest_run-1_nirs.snirf": record("realtime-5000ms")}


class BidsChecks(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        for tool in ("bids-validator", "deno"):
            if not os.access(os.path.join(ARGS.tools, "node_modules/.bin", tool), os.X_OK):
                raise AssertionError(f"{tool} is not installed in {ARGS.tools}: run scripts/install-test-tools.sh")
        cls.datasets = build_datasets()
        for name in list(cls.datasets) + ["broken"]:
            folder = os.path.join(ARGS.work, name)
            for validator in ("node", "deno"):
                started = time.monotonic()
                VALIDATIONS[name, validator] = run_validator(validator, folder)
                print(f"{validator} validator on {name}: {len(VALIDATIONS[name, validator][0])} errors, "
                      f"{len(VALIDATIONS[name, validator][1])} warnings, {time.monotonic() - started:.1f} s",
                      file=sys.stderr)

    def test_both_validators_accept_every_dataset(self):
        for name in self.datasets:
            for validator in ("node", "deno"):
                with self.subTest(dataset=name, validator=validator):
                    errors, warnings, report = VALIDATIONS[name, validator]
                    self.assertEqual(errors, [], f"{validator} on {name}")
        summary = VALIDATIONS["three-records", "node"][2]["summary"]
        self.assertEqual(sorted(summary["subjects"]), ["01", "02"])
        self.assertEqual(summary["sessions"], ["pre"])
        self.assertEqual(summary["modalities"], ["NIRS"])

    def test_a_missing_required_field_is_reported_by_both(self):
        for validator in ("node", "deno"):
            with self.subTest(validator=validator):
                errors = VALIDATIONS["broken", validator][0]
                self.assertTrue(any("SamplingFrequency" in description for _, description in errors), errors)

    def test_mne_reads_each_run_and_the_events_are_the_marks(self):
        for name, (folder, runs) in self.datasets.items():
            for snirf, csv_path in runs.items():
                with self.subTest(dataset=name, run=snirf):
                    self.check_run(folder, snirf, Record(csv_path))

    def check_run(self, folder, snirf, record):
        path = os.path.join(folder, snirf)
        stem = path[:-len("_nirs.snirf")]
        subject = os.path.basename(snirf).split("_")[0][len("sub-"):]
        raw = mne.io.read_raw_snirf(path, verbose="error")
        self.assertEqual(raw.n_times, record.count)
        self.assertAlmostEqual(raw.info["sfreq"], 1 / record.interval)
        self.assertEqual(raw.info["subject_info"]["first_name"], subject)
        channels = read_tsv(stem + "_channels.tsv")
        haemoglobin = [row for row in channels if row["type"] in ("NIRSCWHBO", "NIRSCWHBR")]
        self.assertEqual([row["name"] for row in haemoglobin], raw.ch_names)
        self.assertEqual([row["type"] for row in haemoglobin], ["NIRSCWHBO", "NIRSCWHBR"] * 2)
        # An upload's raw intensities are the file's data2, at the probe's two wavelengths.
        with h5py.File(path, "r") as file:
            raw_intensities = "data2" in file["nirs"]
        amplitudes = [(row["source"], row["wavelength_nominal"]) for row in channels if row["type"] == "NIRSCWAMPLITUDE"]
        self.assertEqual(amplitudes, [("S1", "770"), ("S1", "830"), ("S2", "770"), ("S2", "830")] * raw_intensities)
        self.assertEqual([(row["name"], row["units"], row["component"]) for row in channels if row["type"] == "MISC"],
                         [(f"Acceleration {axis}", "g", axis) for axis in "xyz"])
        # No short channels: every detector is 35 mm from its source.
        self.assertEqual({row["short_channel"] for row in channels if row["type"].startswith("NIRS")}, {"false"})
        with open(stem + "_nirs.json") as file:
            sidecar = json.load(file)
        self.assertAlmostEqual(sidecar["SamplingFrequency"], raw.info["sfreq"])
        self.assertEqual(sidecar["NIRSChannelCount"], len(haemoglobin) + len(amplitudes))
        self.assertEqual(sidecar["DeviceSerialNumber"], record.device)
        self.assertAlmostEqual(sidecar["RecordingDuration"], record.count * record.interval)
        coordsystem, = [f for f in os.listdir(os.path.dirname(path)) if f.endswith("_coordsystem.json")]
        with open(os.path.join(os.path.dirname(path), coordsystem)) as file:
            self.assertEqual(json.load(file)["NIRSCoordinateProcessingDescription"], "n/a")

        expected = sorted([(round(onset, 3), round(duration, 3), trial)
                           for trial, rows in record.stimuli().items() for onset, duration, _ in rows] +
                          [(round(onset, 3), round(duration, 3), "BAD_ACQ_SKIP") for onset, duration in record.gaps()] +
                          [(round(onset, 3), round(duration, 3), "BAD_CALCULATION")
                           for onset, duration in record.flagged()])
        events = sorted((float(row["onset"]), float(row["duration"]), row["trial_type"])
                        for row in read_tsv(stem + "_events.tsv"))
        # events.json says what each trial_type stands for, and nothing else.
        with open(stem + "_events.json") as file:
            levels = json.load(file)["trial_type"]["Levels"]
        self.assertEqual(sorted(levels), sorted({trial for _, _, trial in events}))
        self.assertTrue(all(description.strip() for description in levels.values()))
        self.assertEqual(len(events), len(expected))
        for got, wanted in zip(events, expected):
            self.assertEqual(got[2], wanted[2])
            np.testing.assert_allclose(got[:2], wanted[:2], rtol=0, atol=0.001)
        # The marks are where MNE finds them in the SNIRF file too (gaps aside:
        # MNE 1.3 reads them as rows of one second).
        annotations = sorted((round(onset, 3), description) for onset, description
                             in zip(raw.annotations.onset, raw.annotations.description)
                             if not description.startswith("BAD_"))
        self.assertEqual(annotations, [(onset, trial) for onset, _, trial in events if not trial.startswith("BAD_")])

        scans_folder = os.path.dirname(os.path.dirname(path))
        scans_file, = [f for f in os.listdir(scans_folder) if f.endswith("_scans.tsv")]
        scans = read_tsv(os.path.join(scans_folder, scans_file))
        row = next(r for r in scans if r["filename"] == "nirs/" + os.path.basename(path))
        self.assertEqual(row["acq_time"][:19], record.start_local.strftime("%Y-%m-%dT%H:%M:%S"))
        participants = [r["participant_id"] for r in read_tsv(os.path.join(folder, "participants.tsv"))]
        self.assertEqual(participants.count("sub-" + subject), 1)

    def test_the_window_run_keeps_the_raw_intensities(self):
        folder, runs = self.datasets["window"]
        expected = np.loadtxt(ARGS.window_dataset + "-raw.tsv", delimiter="\t")
        with h5py.File(os.path.join(folder, next(iter(runs))), "r") as file:
            np.testing.assert_allclose(file["nirs/data2/dataTimeSeries"][()], expected, rtol=1e-7, atol=0)
            self.assertEqual(text(file["nirs/metaDataTags/SubjectID"]), "S07")

    def test_bad_input(self):
        good = os.path.join(ARGS.records, "realtime-50ms.csv")
        with tempfile.TemporaryDirectory() as scratch:
            dataset = os.path.join(scratch, "study")
            base = ["--export-bids", dataset, "--subject", "01", "--task", "rest"]
            self.assertEqual(program(*base, good).returncode, 0)
            before = tree(dataset)

            result = program(*base, "--run", "1", good)
            self.assertEqual(result.returncode, 1)
            self.assertIn("run 1 exists already", result.stderr)
            self.assertEqual(tree(dataset), before)

            for arguments in (["--subject", "P-01", "--task", "rest"], ["--subject", "01", "--task", "rest_2"],
                              ["--subject", "01"], ["--subject", "01", "--task", "rest", "--run", "zero"]):
                with self.subTest(arguments=arguments):
                    result = program("--export-bids", os.path.join(scratch, "other"), *arguments, good)
                    self.assertEqual(result.returncode, 2, result.stderr)
                    self.assertTrue(result.stderr.strip())
                    self.assertFalse(os.path.exists(os.path.join(scratch, "other")))

            blocker = os.path.join(scratch, "file")
            open(blocker, "w").close()
            result = program("--export-bids", os.path.join(blocker, "study"), "--subject", "01", "--task", "rest", good)
            self.assertEqual(result.returncode, 1)
            self.assertIn("is not a folder", result.stderr)

            damaged = os.path.join(scratch, "damaged.csv")
            with open(good, "rb") as file:
                lines = file.read().split(b"\r\n")
            lines[3] = b",,,,,,,CH1,,,,,CH2,,,,,CH3"  # a third channel
            with open(damaged, "wb") as file:
                file.write(b"\r\n".join(lines))
            result = program(*base, good, damaged, good)
            self.assertEqual(result.returncode, 1)
            self.assertIn("damaged.csv: Data format error.", result.stderr)
            runs = sorted(f for f in os.listdir(os.path.join(dataset, "sub-01/nirs")) if f.endswith("_nirs.snirf"))
            self.assertEqual(runs, [f"sub-01_task-rest_run-{n}_nirs.snirf" for n in (1, 2, 3)])

            # A row too short to read: the run is written with the row in its place, and said.
            with open(good, "rb") as file:
                lines = file.read().split(b"\r\n")
            lines[5 + 40] = lines[5 + 40][:20]
            with open(damaged, "wb") as file:
                file.write(b"\r\n".join(lines))
            result = program(*base, damaged)
            self.assertEqual(result.returncode, 1)
            self.assertIn("damaged.csv: rows of fewer than 17 fields at line 46", result.stderr)
            self.assertIn("sub-01_task-rest_run-4_nirs.snirf", result.stdout)
            raw = mne.io.read_raw_snirf(os.path.join(dataset, "sub-01/nirs/sub-01_task-rest_run-4_nirs.snirf"),
                                        verbose="error")
            self.assertEqual(raw.n_times, Record(good).count)


class ConcurrentExports(unittest.TestCase):
    ROUNDS = 20

    def test_two_exports_into_one_dataset_take_turns(self):
        """Two programs export a record each as the next run of the same subject and
        task, at the same moment: each gets a run of its own, and a run printed as
        written has every file, listed once in the scans file."""
        record = os.path.join(ARGS.records, "realtime-5000ms.csv")
        files = ("_nirs.snirf", "_nirs.json", "_channels.tsv", "_events.tsv", "_events.json")
        with tempfile.TemporaryDirectory() as scratch:
            for round_number in range(self.ROUNDS):
                with self.subTest(round=round_number):
                    dataset = os.path.join(scratch, f"study{round_number}")
                    arguments = [ARGS.program, "--export-bids", dataset, "--subject", "01", "--task", "rest", record]
                    exports = [subprocess.Popen(arguments, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
                               for _ in range(2)]
                    outputs = [export.communicate(timeout=300) for export in exports]
                    results = [(export.returncode, out, err) for export, (out, err) in zip(exports, outputs)]
                    for code, out, err in results:
                        self.assertEqual(code, 0, err)
                    written = sorted(line.split(" -> ")[1] for _, out, _ in results for line in out.splitlines())
                    stems = [path[:-len("_nirs.snirf")] for path in written]
                    self.assertEqual([os.path.basename(stem) for stem in stems],
                                     ["sub-01_task-rest_run-1", "sub-01_task-rest_run-2"])
                    for stem in stems:
                        for suffix in files:
                            self.assertTrue(os.path.exists(stem + suffix), stem + suffix)
                    scans = [row["filename"] for row in read_tsv(os.path.join(dataset, "sub-01/sub-01_scans.tsv"))]
                    self.assertEqual(sorted(scans), ["nirs/sub-01_task-rest_run-1_nirs.snirf",
                                                     "nirs/sub-01_task-rest_run-2_nirs.snirf"])
                    participants = [row["participant_id"] for row in read_tsv(os.path.join(dataset, "participants.tsv"))]
                    self.assertEqual(participants, ["sub-01"])
                    self.assertFalse([f for f in tree(dataset) if os.path.basename(f).startswith(".")])


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    parser.add_argument("--program", required=True)
    parser.add_argument("--records", required=True)
    parser.add_argument("--window-dataset", required=True)
    parser.add_argument("--tools", required=True)
    parser.add_argument("--work", required=True)
    ARGS, rest = parser.parse_known_args()
    os.environ["TZ"] = ZONE
    time.tzset()
    unittest.main(argv=[sys.argv[0]] + rest)
