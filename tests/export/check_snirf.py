#!/usr/bin/python3
"""Checks SNIRF files of the program with the analysis tools that read them.

MNE-Python (mne.io.read_raw_snirf) must load each file with the record's
channels, rate, start, events, probe geometry and values, and filter it
without a lost sample spreading; h5py checks the structure of the format and
what MNE does not read (stimulus durations, the raw intensities, the
auxiliary series). The expected values come from the record's CSV file.

Files checked: records exported from memory by the program's writer
(<name>-window.snirf, made by test_export) and the same records converted from
their CSV files by `tq580 --export-snirf`, and the fixtures converted likewise;
an upload from a simulated sensor saved by the session with its SNIRF file
beside it and exported from the window with a subject (made by test_session).
Also: a damaged CSV, an unknown option and a file-size limit on the command line.
"""

import argparse
import csv
import datetime
import os
import resource
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest

import h5py
import mne
import numpy as np

# Five hours west of UTC in winter: a record's local start is not its UTC start.
ZONE = "EST5EDT,M3.2.0,M11.1.0"
ARGS = None
# The stimulus condition of the no-data gaps, which MNE's filters skip.
SKIP = "BAD_ACQ_SKIP"
# The rows whose error column says "E", with or without values.
CALCULATION = "BAD_CALCULATION"


def annotated_samples(raw, onsets, durations):
    """The samples inside the spans, mapped to samples as MNE's filter maps them."""
    covered = np.zeros(raw.n_times, bool)
    for onset, duration in zip(onsets, durations):
        start = int(raw.time_as_index(onset, use_rounding=True)[0])
        stop = int(raw.time_as_index(onset + duration, use_rounding=True)[0])
        covered[start:stop] = True
    return covered


class Record:
    """A record file read as the program writes it (and spreadsheets resave it)."""

    def __init__(self, path):
        with open(path, newline="") as file:
            lines = list(csv.reader(file))
        self.device = lines[0][1]
        self.interval = int(lines[0][3]) / 1000.0
        start_text = " ".join(field for field in lines[1] if field).split(None, 1)[1]
        self.start_local = datetime.datetime.strptime(start_text.strip(), "%Y/%m/%d %H:%M:%S")
        rows = [row for row in lines[5:] if len(row) >= 17]
        number = lambda text: float(text) if text.strip() else 0.0
        self.count = len(rows)
        self.battery = np.array([number(r[2]) for r in rows])
        self.acceleration = np.array([[number(v) for v in r[3:6]] for r in rows])
        self.events = [r[6] for r in rows]
        self.no_data = np.array([[r[7 + 5 * c].startswith("N") for c in range(2)] for r in rows]).reshape(-1, 2)
        self.error_flag = np.array([[r[7 + 5 * c].startswith("E") for c in range(2)] for r in rows]).reshape(-1, 2)
        channel = lambda c, k: np.array([number(r[8 + 5 * c + k]) for r in rows], dtype=np.float32)
        self.oxhb = [channel(c, 0) for c in range(2)]
        self.dxhb = [channel(c, 1) for c in range(2)]
        self.tohb = [channel(c, 2) for c in range(2)]
        self.sto2 = [channel(c, 3) for c in range(2)]
        # A calculation that failed leaves "E" and zeros: no measurement.
        failed = [self.error_flag[:, c] & (self.oxhb[c] == 0) & (self.dxhb[c] == 0) for c in range(2)]
        self.missing = self.no_data | np.array(failed).T.reshape(-1, 2)

    def start_utc(self):
        seconds = time.mktime(self.start_local.timetuple())  # local time in ZONE
        return datetime.datetime.fromtimestamp(seconds, datetime.timezone.utc)

    def marks(self):
        """(position, number, started) of every mark; value-initialization points apart."""
        marks, points = [], []
        for position, text in enumerate(self.events):
            i = 0
            while i < len(text):
                if text[i] == "R":
                    points.append(position)
                    i += 1
                elif text[i] in "SE" and i + 1 < len(text):
                    if text[i + 1].isdigit() and 1 <= int(text[i + 1]) <= 9:
                        marks.append((position, int(text[i + 1]), text[i] == "S"))
                    i += 2
                else:
                    i += 1
        return marks, points

    def stimuli(self):
        """{name: [[onset, duration, 1], ...]}, every mark in a row: an end closes
        the earliest start of its number still open; an end before any mark of
        its number spans from 0; any other lone mark lasts 0."""
        marks, points = self.marks()
        result, open_starts = {}, {}
        for index, (position, number, started) in enumerate(marks):
            rows = result.setdefault(str(number), [])
            waiting = open_starts.setdefault(number, [])
            if started:
                waiting.append(position)
            elif waiting:
                start = waiting.pop(0)
                rows.append([start * self.interval, (position - start) * self.interval, 1.0])
            elif not any(n == number for _, n, _ in marks[:index]):
                rows.append([0.0, position * self.interval, 1.0])
            else:
                rows.append([position * self.interval, 0.0, 1.0])
        for number, waiting in open_starts.items():
            result[str(number)] += [[start * self.interval, 0.0, 1.0] for start in waiting]
        result = {name: sorted(rows) for name, rows in result.items()}
        if points:
            result["Value-Initialization"] = [[p * self.interval, 0.0, 1.0] for p in points]
        return result

    def runs(self, rows):
        """(onset, duration) in seconds of each run of the rows marked True."""
        result = []
        for position, marked in enumerate(rows):
            if not marked:
                continue
            if result and result[-1][1] == position:
                result[-1][1] += 1
            else:
                result.append([position, position + 1])
        return [(first * self.interval, (end - first) * self.interval) for first, end in result]

    def gaps(self):
        """Runs of rows where a channel has no haemoglobin: "N", or a failed calculation."""
        return self.runs(np.any(self.missing, axis=1))

    def flagged(self):
        """Runs of rows where a channel says "E"."""
        return self.runs(np.any(self.error_flag, axis=1))

    def expected_data(self):
        """Columns S1_D1 hbo, S1_D1 hbr, S2_D2 hbo, S2_D2 hbr in M, NaN without a value."""
        columns = []
        for c in range(2):
            for values in (self.oxhb[c], self.dxhb[c]):
                column = values.astype(np.float64) * 1e-3
                column[self.missing[:, c]] = np.nan
                columns.append(column)
        return np.array(columns)


def text(dataset):
    value = dataset[()]
    return value.decode() if isinstance(value, bytes) else str(value)


class SnirfChecks(unittest.TestCase):
    def check_in_mne(self, snirf, record, rtol, atol):
        raw = mne.io.read_raw_snirf(snirf, preload=True, verbose="error")
        self.assertEqual(raw.ch_names, ["S1_D1 hbo", "S1_D1 hbr", "S2_D2 hbo", "S2_D2 hbr"])
        self.assertEqual(raw.get_channel_types(), ["hbo", "hbr", "hbo", "hbr"])
        self.assertAlmostEqual(raw.info["sfreq"], 1.0 / record.interval, places=9)
        self.assertEqual(raw.n_times, record.count)
        self.assertEqual(raw.info["meas_date"], record.start_utc())
        np.testing.assert_allclose(
            mne.preprocessing.nirs.source_detector_distances(raw.info), [0.035] * 4, rtol=0, atol=1e-12)

        data = raw.get_data()
        expected = record.expected_data()
        np.testing.assert_array_equal(np.isnan(data), np.isnan(expected))
        np.testing.assert_allclose(data, expected, rtol=rtol, atol=atol, equal_nan=True)

        expected_annotations = sorted(
            (round(row[0], 6), name) for name, rows in record.stimuli().items() for row in rows)
        annotations = sorted((round(a["onset"], 6), a["description"]) for a in raw.annotations
                             if a["description"] not in (SKIP, CALCULATION))
        self.assertEqual(annotations, expected_annotations)
        # Every row flagged "E" lies inside a BAD_CALCULATION annotation, as MNE 1.3 reads them.
        flagged = np.any(record.error_flag, axis=1)
        calculation = [a for a in raw.annotations if a["description"] == CALCULATION]
        covered = annotated_samples(raw, [a["onset"] for a in calculation], [a["duration"] for a in calculation])
        self.assertFalse((flagged & ~covered).any(), "a row flagged E outside every BAD_CALCULATION annotation")
        self.check_gaps_in_mne(raw, record)

    def check_gaps_in_mne(self, raw, record):
        """The no-data samples are annotated so that filtering skips them: as MNE 1.3
        reads the rows (1.0 s each) and as later versions do (column 1)."""
        missing = np.any(np.isnan(raw.get_data()), axis=0)
        np.testing.assert_array_equal(missing, np.any(record.missing, axis=1))
        skipped = [a for a in raw.annotations if a["description"] == SKIP]
        self.assertEqual(bool(skipped), bool(missing.any()))
        with h5py.File(raw.filenames[0], "r") as file:
            rows = [row for key in file["nirs"] if key.startswith("stim")
                    and text(file["nirs"][key]["name"]) == SKIP for row in file["nirs"][key]["data"][()]]
        for reading, durations in (("MNE 1.3", [1.0] * len(rows)), ("column 1", [row[1] for row in rows])):
            with self.subTest(reading=reading):
                covered = annotated_samples(raw, [row[0] for row in rows], durations)
                self.assertFalse((missing & ~covered).any(), "a no-data sample outside every BAD annotation")
                # Beyond the gaps only what a one-second row must cover after a gap shorter than it.
                allowed = missing.copy()
                if reading == "MNE 1.3":
                    for onset, duration in record.gaps():
                        if duration < 1.0:
                            allowed |= annotated_samples(raw, [onset], [1.0])
                self.assertFalse((covered & ~allowed).any(), "samples with data inside a BAD annotation")
                filtered = raw.copy()
                filtered.set_annotations(mne.Annotations([row[0] for row in rows], durations, [SKIP] * len(rows)))
                # The usual fNIRS band, narrowed where the rate's Nyquist frequency is lower.
                high = min(0.5, raw.info["sfreq"] / 4)
                filtered.filter(min(0.01, high / 10), high, verbose="error")
                data = filtered.get_data()
                self.assertTrue(np.isfinite(data[:, ~missing]).all(), "NaN spread past a gap in the filter")

    def check_structure(self, snirf, record, rtol, atol, raw_intensities=None):
        count = record.count
        with h5py.File(snirf, "r") as file:
            self.assertEqual(text(file["formatVersion"]), "1.0")
            nirs = file["nirs"]
            tags = nirs["metaDataTags"]
            start = record.start_utc()
            self.assertEqual(text(tags["MeasurementDate"]), start.strftime("%Y-%m-%d"))
            self.assertEqual(text(tags["MeasurementTime"]), start.strftime("%H:%M:%SZ"))
            if "MeasurementTimeExact" in tags:
                exact = text(tags["MeasurementTimeExact"])
                self.assertRegex(exact, r"^\d\d:\d\d:\d\d\.\d\d\dZ$")
                self.assertEqual(exact[:8], text(tags["MeasurementTime"])[:8])
            for name, value in [("LengthUnit", "mm"), ("TimeUnit", "s"), ("FrequencyUnit", "Hz"),
                                ("DeviceID", record.device)]:
                self.assertEqual(text(tags[name]), value)
            self.assertIn("SubjectID", tags)

            data = nirs["data1"]
            self.assertEqual(data["dataTimeSeries"].shape, (count, 4))
            self.assertEqual(data["dataTimeSeries"].dtype, np.float64)
            self.assertEqual(data["time"].shape, (count,))
            np.testing.assert_allclose(data["time"][()], np.arange(count) * record.interval, rtol=1e-12)
            for index, (source, label) in enumerate([(1, "HbO"), (1, "HbR"), (2, "HbO"), (2, "HbR")], 1):
                entry = data[f"measurementList{index}"]
                for field, value in [("sourceIndex", source), ("detectorIndex", source), ("wavelengthIndex", 1),
                                     ("dataType", 99999), ("dataTypeIndex", 1)]:
                    self.assertEqual(entry[field].shape, ())
                    self.assertTrue(np.issubdtype(entry[field].dtype, np.integer), field)
                    self.assertEqual(entry[field][()], value)
                self.assertEqual(text(entry["dataTypeLabel"]), label)
            self.assertNotIn("measurementList5", data)
            if raw_intensities is None:
                self.assertNotIn("data2", nirs)  # a CSV file has no raw intensities
            else:
                self.check_raw_intensities(nirs, raw_intensities)

            probe = nirs["probe"]
            np.testing.assert_array_equal(probe["wavelengths"][()], [770.0, 830.0])
            self.assertEqual(probe["sourcePos3D"].shape, (2, 3))
            self.assertEqual(probe["detectorPos3D"].shape, (2, 3))
            self.assertEqual([s.decode() for s in probe["sourceLabels"][()]], ["CH1(L) source", "CH2(R) source"])
            self.assertEqual([d.decode() for d in probe["detectorLabels"][()]], ["CH1(L) detector", "CH2(R) detector"])
            left, right = probe["sourcePos3D"][()][:, 0]
            self.assertLess(left, 0)  # CH1 on the left of the forehead
            self.assertGreater(right, 0)

            stimuli = {}
            for key in nirs:
                if key.startswith("stim"):
                    self.assertEqual(nirs[key]["data"].shape[1], 3)
                    stimuli[text(nirs[key]["name"])] = nirs[key]["data"][()].tolist()
            # No row reaches past the data's end, which MNE puts one interval after the last time.
            for name, rows in stimuli.items():
                for onset, duration, _ in rows:
                    self.assertLessEqual(onset + duration, count * record.interval + 1e-9, name)
            for name, expected_runs in ((SKIP, record.gaps()), (CALCULATION, record.flagged())):
                runs = [(row[0], row[1]) for row in stimuli.pop(name, []) if row[1] != 0]
                np.testing.assert_allclose(np.array(runs).reshape(-1, 2), np.array(expected_runs).reshape(-1, 2),
                                           rtol=0, atol=1e-9, err_msg=name)
            expected = record.stimuli()
            self.assertEqual(sorted(stimuli), sorted(expected))
            for name in expected:
                np.testing.assert_allclose(stimuli[name], expected[name], rtol=1e-12, atol=1e-9, err_msg=name)

            aux = {text(nirs[key]["name"]): nirs[key] for key in nirs if key.startswith("aux")}
            none = np.all(record.no_data, axis=1)
            expected_aux = {}
            for c, channel in enumerate(["CH1(L)", "CH2(R)"]):
                sto2 = record.sto2[c].astype(np.float64)
                tohb = record.tohb[c].astype(np.float64) * 1e-3
                sto2[record.no_data[:, c]] = np.nan
                tohb[record.missing[:, c]] = np.nan
                expected_aux[f"STO2 {channel}"] = ("%", sto2, max(rtol * 100, 0.0051))
                expected_aux[f"TOHb {channel}"] = ("M", tohb, max(rtol * 1e-4, atol))
            for axis, name in enumerate("xyz"):
                values = record.acceleration[:, axis].copy()
                values[none] = np.nan
                expected_aux[f"Acceleration {name}"] = ("g", values, 0.0051)
            expected_aux["Battery"] = ("V", record.battery, 0.051)
            self.assertEqual(sorted(aux), sorted(expected_aux))
            for name, (unit, values, absolute) in expected_aux.items():
                group = aux[name]
                self.assertEqual(text(group["dataUnit"]), unit)
                self.assertEqual(group["dataTimeSeries"].shape, (count, 1))
                np.testing.assert_array_equal(group["time"][()], data["time"][()])
                np.testing.assert_allclose(group["dataTimeSeries"][:, 0], values, rtol=0, atol=absolute,
                                           equal_nan=True, err_msg=name)

    def check_raw_intensities(self, nirs, expected):
        """data2: 770 and 830 nm of CH1(L), then of CH2(R), as continuous-wave amplitudes."""
        data = nirs["data2"]
        np.testing.assert_array_equal(data["time"][()], nirs["data1"]["time"][()])
        np.testing.assert_allclose(data["dataTimeSeries"][()], expected, rtol=1e-7, atol=0)
        for index, (source, wavelength) in enumerate([(1, 1), (1, 2), (2, 1), (2, 2)], 1):
            entry = data[f"measurementList{index}"]
            for field, value in [("sourceIndex", source), ("detectorIndex", source),
                                 ("wavelengthIndex", wavelength), ("dataType", 1)]:
                self.assertEqual(entry[field][()], value, field)
        self.assertNotIn("measurementList5", data)
        np.testing.assert_array_equal(nirs["probe"]["wavelengths"][()], [770.0, 830.0])

    def check(self, snirf, record, exported_from_memory=False, raw_intensities=None):
        """From a CSV file the values are the file's to single precision; exported
        from memory they are finer than the CSV's 0.0001 mM."""
        rtol, atol = (0, 5.1e-8) if exported_from_memory else (1e-6, 1e-12)
        with self.subTest(snirf=os.path.basename(snirf)):
            self.check_in_mne(snirf, record, rtol, atol)
            self.check_structure(snirf, record, rtol, atol, raw_intensities)

    def run_program(self, *arguments, **options):
        return subprocess.run([ARGS.program, *arguments], capture_output=True, text=True, timeout=120, **options)

    def test_records_from_the_window_and_the_command_line(self):
        names = sorted(f[:-4] for f in os.listdir(ARGS.records) if f.endswith(".csv"))
        # Real time and upload, at 50 ms and 5000 ms; real time with long gaps;
        # real time with error flags and unpaired marks.
        self.assertEqual(len(names), 6, names)
        for name in names:
            if os.path.exists(os.path.join(ARGS.records, name + ".snirf")):
                os.remove(os.path.join(ARGS.records, name + ".snirf"))
        result = self.run_program("--export-snirf", *[os.path.join(ARGS.records, n + ".csv") for n in names])
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(len(result.stdout.splitlines()), len(names))
        for name in names:
            record = Record(os.path.join(ARGS.records, name + ".csv"))
            self.assertTrue(record.no_data.any() or name.startswith("upload"), name)
            self.check(os.path.join(ARGS.records, name + ".snirf"), record)
            # Exported from memory, an upload keeps its raw intensities.
            raw_path = os.path.join(ARGS.records, name + "-raw.tsv")
            self.assertEqual(os.path.exists(raw_path), name.startswith("upload"), name)
            raw_intensities = np.loadtxt(raw_path, delimiter="\t") if os.path.exists(raw_path) else None
            self.check(os.path.join(ARGS.records, name + "-window.snirf"), record, exported_from_memory=True,
                       raw_intensities=raw_intensities)

    def test_gaps_are_skipped_by_filters(self):
        """Gaps of 0.3 s, 2 s and 47 s: NaN in the data, BAD_ACQ_SKIP rows whose
        durations are the gaps, and a filtered record finite outside them (the
        checks of check_in_mne and check_structure, on this record by name)."""
        record = Record(os.path.join(ARGS.records, "realtime-gaps-100ms.csv"))
        np.testing.assert_allclose(record.gaps(), [(30.0, 0.3), (80.0, 2.0), (120.0, 47.0)], atol=1e-9)
        window = os.path.join(ARGS.records, "realtime-gaps-100ms-window.snirf")
        self.check(window, record, exported_from_memory=True)
        with h5py.File(window, "r") as file:
            # The record in memory began at 14:30:05.250 local time.
            self.assertEqual(text(file["nirs/metaDataTags/MeasurementTimeExact"]), "19:30:05.250Z")
            self.assertEqual(text(file["nirs/metaDataTags/MeasurementTime"]), "19:30:05Z")

    def test_subject_on_the_command_line(self):
        with tempfile.TemporaryDirectory() as folder:
            record = shutil.copy(os.path.join(ARGS.fixtures, "saved-record.csv"), folder)
            for arguments, subject in (([], "unknown"), (["--subject", "P01", "--overwrite"], "P01")):
                result = self.run_program("--export-snirf", record, *arguments)
                self.assertEqual(result.returncode, 0, result.stderr)
                snirf = record[:-4] + ".snirf"
                with h5py.File(snirf, "r") as file:
                    self.assertEqual(text(file["nirs/metaDataTags/SubjectID"]), subject)
                raw = mne.io.read_raw_snirf(snirf, verbose="error")
                self.assertEqual(raw.info["subject_info"]["first_name"], subject)

    def test_upload_saved_and_exported_from_the_session(self):
        """The SNIRF file written beside a saved upload and the window's export
        with a subject: data2 holds the record's raw intensities, data1 the
        haemoglobin of the CSV file, and MNE loads both."""
        folder = ARGS.session_records
        record = Record(os.path.join(folder, "upload-session.csv"))
        raw_intensities = np.loadtxt(os.path.join(folder, "upload-session-raw.tsv"), delimiter="\t")
        self.assertEqual(raw_intensities.shape, (record.count, 4))
        self.assertTrue((raw_intensities > 1000).all())  # light reached every detector
        for name, subject in (("upload-session.snirf", "unknown"), ("upload-session-window.snirf", "S07")):
            snirf = os.path.join(folder, name)
            self.check(snirf, record, exported_from_memory=True, raw_intensities=raw_intensities)
            raw = mne.io.read_raw_snirf(snirf, verbose="error")
            self.assertEqual(raw.info["subject_info"]["first_name"], subject)

    def test_fixtures_convert_on_the_command_line(self):
        with tempfile.TemporaryDirectory() as folder:
            inputs = []
            for name in sorted(os.listdir(ARGS.fixtures)):
                if name.endswith(".csv"):
                    inputs.append(shutil.copy(os.path.join(ARGS.fixtures, name), folder))
            result = self.run_program("--export-snirf", *inputs)
            self.assertEqual(result.returncode, 0, result.stderr)
            for path in inputs:
                self.check(path[:-4] + ".snirf", Record(path))

    def test_a_damaged_record_file_converts_to_nothing(self):
        with tempfile.TemporaryDirectory() as folder:
            damaged = os.path.join(folder, "damaged.csv")
            with open(os.path.join(ARGS.fixtures, "saved-record.csv"), "rb") as file:
                lines = file.read().split(b"\r\n")
            lines[3] = b",,,,,,,CH1,,,,,CH2,,,,,CH3"  # a third channel
            with open(damaged, "wb") as file:
                file.write(b"\r\n".join(lines))
            result = self.run_program("--export-snirf", damaged)
            self.assertNotEqual(result.returncode, 0)
            self.assertIn("damaged.csv: Data format error.", result.stderr)
            self.assertEqual(os.listdir(folder), ["damaged.csv"])

    def test_a_full_disk_leaves_no_partial_file(self):
        with tempfile.TemporaryDirectory() as folder:
            record = shutil.copy(os.path.join(ARGS.records, "realtime-50ms.csv"), folder)

            def limit_file_size():
                signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
                resource.setrlimit(resource.RLIMIT_FSIZE, (20000, resource.RLIM_INFINITY))

            result = self.run_program("--export-snirf", record, preexec_fn=limit_file_size)
            self.assertEqual(result.returncode, 1)
            self.assertIn("File too large", result.stderr)
            self.assertEqual(os.listdir(folder), ["realtime-50ms.csv"])

    def test_usage_errors(self):
        for arguments in (["--no-such-option"], ["--export-snirf", "a.csv", "b.csv", "--output", "x.snirf"],
                          ["--export-snirf", "a.csv", "--session", "pre"], ["--export-snirf", "a.csv", "-session", "x"],
                          ["--overwrite"]):
            result = self.run_program(*arguments)
            self.assertEqual(result.returncode, 2, arguments)
            self.assertTrue(result.stderr.strip(), arguments)
            self.assertEqual(result.stdout, "")
        result = self.run_program("--help")
        self.assertEqual(result.returncode, 0)
        self.assertIn("Exit codes of --export-snirf and --export-bids", result.stdout)
        self.assertIn("--overwrite", result.stdout)

    def test_errors_and_unpaired_marks(self):
        """Failed calculations are NaN and BAD_CALCULATION, like the E rows that keep
        their values; every mark is an annotation; the lost last sample's rows stay
        within the data (the checks of check_in_mne and check_structure, by name)."""
        record = Record(os.path.join(ARGS.records, "realtime-errors-5000ms.csv"))
        self.assertEqual(record.missing[10:13, 0].tolist(), [True] * 3)
        self.assertFalse(record.missing[20].any())
        self.assertEqual(record.flagged(), [(50.0, 15.0), (100.0, 5.0)])
        self.assertEqual(record.stimuli()["1"], [[20.0, 20.0, 1.0], [70.0, 0.0, 1.0]])
        self.assertEqual(record.stimuli()["2"], [[80.0, 30.0, 1.0], [90.0, 40.0, 1.0]])
        self.assertEqual(record.stimuli()["3"], [[0.0, 10.0, 1.0], [165.0, 0.0, 1.0]])
        self.assertEqual(record.stimuli()["4"], [[150.0, 0.0, 1.0]])
        window = os.path.join(ARGS.records, "realtime-errors-5000ms-window.snirf")
        self.check(window, record, exported_from_memory=True)
        raw = mne.io.read_raw_snirf(window, preload=True, verbose="error")
        self.assertTrue(np.isnan(raw.get_data()[0:2, 10:13]).all())
        self.assertTrue(np.isfinite(raw.get_data()[2:4, 20]).all())
        self.assertEqual(sorted(a["description"] for a in raw.annotations if a["description"] in ("1", "2", "3", "4")),
                         ["1", "1", "2", "2", "3", "3", "4"])

    def test_an_existing_file_is_kept(self):
        """The SNIRF file beside a saved upload holds its raw intensities: converting
        the record file again must not replace it, not even with --overwrite. Any
        other file is replaced only with --overwrite."""
        with tempfile.TemporaryDirectory() as folder:
            for name in ("upload-session.csv", "upload-session.snirf"):
                shutil.copy(os.path.join(ARGS.session_records, name), folder)
            record, snirf = (os.path.join(folder, "upload-session" + suffix) for suffix in (".csv", ".snirf"))
            with open(snirf, "rb") as file:
                before = file.read()
            for arguments, said in (([], "exists already"), (["--overwrite"], "raw intensities")):
                result = self.run_program("--export-snirf", record, *arguments)
                self.assertEqual(result.returncode, 1, arguments)
                self.assertIn(snirf, result.stderr)
                self.assertIn(said, result.stderr)
                with open(snirf, "rb") as file:
                    self.assertEqual(file.read(), before)
            with h5py.File(snirf, "r") as file:
                self.assertIn("data2", file["nirs"])

            other = os.path.join(folder, "other.snirf")
            with open(other, "w") as file:
                file.write("someone's file")
            self.assertEqual(self.run_program("--export-snirf", record, "--output", other).returncode, 1)
            with open(other) as file:
                self.assertEqual(file.read(), "someone's file")
            result = self.run_program("--export-snirf", record, "--output", other, "--overwrite")
            self.assertEqual(result.returncode, 0, result.stderr)
            self.check(other, Record(record))

            result = self.run_program("--export-snirf", folder)
            self.assertEqual(result.returncode, 1)
            self.assertIn("this is a folder, not a record file", result.stderr)

    def test_too_short_to_analyse(self):
        """One sample has no rate: refused, with the reason, and no file."""
        with tempfile.TemporaryDirectory() as folder:
            with open(os.path.join(ARGS.fixtures, "saved-record.csv"), "rb") as file:
                lines = file.read().split(b"\r\n")
            for count, exit_code in ((1, 1), (2, 0)):
                path = os.path.join(folder, f"{count}.csv")
                with open(path, "wb") as file:
                    file.write(b"\r\n".join(lines[:5 + count]) + b"\r\n")
                result = self.run_program("--export-snirf", path)
                self.assertEqual(result.returncode, exit_code, result.stderr)
                self.assertEqual(os.path.exists(path[:-4] + ".snirf"), exit_code == 0)
                if exit_code:
                    self.assertIn("a single sample", result.stderr)
                else:
                    self.assertEqual(mne.io.read_raw_snirf(path[:-4] + ".snirf", verbose="error").n_times, 2)

    def test_damaged_record_files_are_said(self):
        """A row too short to read: the file is converted with a row without data in
        its place, every later sample at its own time, and the line is named with
        exit code 1. An empty line part-way: named, nothing converted."""
        source = os.path.join(ARGS.records, "realtime-50ms.csv")
        with open(source, "rb") as file:
            lines = file.read().split(b"\r\n")
        original = Record(source)
        with tempfile.TemporaryDirectory() as folder:
            short = os.path.join(folder, "short.csv")
            damaged = list(lines)
            damaged[5 + 100] = b",".join(damaged[5 + 100].split(b",")[:12])
            with open(short, "wb") as file:
                file.write(b"\r\n".join(damaged))
            result = self.run_program("--export-snirf", short)
            self.assertEqual(result.returncode, 1)
            self.assertIn("short.csv: rows of fewer than 17 fields at line 106", result.stderr)
            raw = mne.io.read_raw_snirf(short[:-4] + ".snirf", preload=True, verbose="error")
            self.assertEqual(raw.n_times, original.count)
            data, expected = raw.get_data(), original.expected_data()
            self.assertTrue(np.isnan(data[:, 100]).all())
            np.testing.assert_allclose(data[:, 101:], expected[:, 101:], rtol=1e-6, atol=1e-12, equal_nan=True)
            self.assertIn(SKIP, [a["description"] for a in raw.annotations if abs(a["onset"] - 100 * 0.05) < 1e-9])

            stopped = os.path.join(folder, "stopped.csv")
            damaged = list(lines)
            damaged.insert(5 + 295, b"")
            with open(stopped, "wb") as file:
                file.write(b"\r\n".join(damaged))
            result = self.run_program("--export-snirf", stopped)
            self.assertEqual(result.returncode, 1)
            self.assertIn(f"line 301 is empty, which ends a record file, but {original.count - 295} more lines",
                          result.stderr)
            self.assertFalse(os.path.exists(stopped[:-4] + ".snirf"))


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    parser.add_argument("--program", required=True)
    parser.add_argument("--records", required=True)
    parser.add_argument("--fixtures", required=True)
    parser.add_argument("--session-records", required=True)
    ARGS, rest = parser.parse_known_args()
    os.environ["TZ"] = ZONE
    time.tzset()
    unittest.main(argv=[sys.argv[0]] + rest, verbosity=2)
