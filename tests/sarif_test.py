#!/usr/bin/env python3
"""scrivolux-cli --format=sarif against the SARIF 2.1.0 schema: a hard file's
grade and the findings of the checks, each at its place in its file."""

import gzip
import json
import os
import subprocess
import sys
import tempfile
import unittest

CLI, SCHEMA, WORDS = sys.argv[1:4]
del sys.argv[1:4]

try:
    import jsonschema
except ImportError:  # python3-jsonschema (tools/setup.sh) is not installed
    print("SKIP: python3-jsonschema is not installed")
    sys.exit(77)

HARD = "happy rabbit garden water " * 15 + ".\n"


class SarifTest(unittest.TestCase):
    def run_cli(self, folder, *arguments):
        return subprocess.run(
            [CLI, "--dictionary", WORDS, "--custom", os.path.join(folder, "custom.dat"),
             "--unknown=estimate", "--format=sarif", *arguments],
            cwd=folder, capture_output=True, text=True, check=False)

    def setUp(self):
        with gzip.open(SCHEMA, "rt", encoding="utf-8") as schema:
            self.validator = jsonschema.Draft4Validator(json.load(schema))

    def valid(self, text):
        log = json.loads(text)
        errors = sorted(self.validator.iter_errors(log), key=str)
        self.assertEqual([], [e.message for e in errors])
        return log

    def test_grade_and_findings_are_placed_and_valid(self):
        with tempfile.TemporaryDirectory() as folder:
            os.mkdir(os.path.join(folder, "my docs"))
            with open(os.path.join(folder, "my docs", "hard ü.md"), "w", encoding="utf-8") as f:
                f.write("# Title\n\nÜï dog. The cat is very big.\n\n" + HARD)
            with open(os.path.join(folder, "easy.txt"), "w", encoding="utf-8") as f:
                f.write("The cat sat.\n")
            run = self.run_cli(folder, "--max-grade=8", "--checks", "my docs/", "easy.txt")
            self.assertEqual(run.returncode, 4, run.stderr)
            log = self.valid(run.stdout)
            self.assertEqual(log["version"], "2.1.0")
            self.assertEqual(len(log["runs"]), 1)
            sarif_run = log["runs"][0]
            rules = [rule["id"] for rule in sarif_run["tool"]["driver"]["rules"]]
            self.assertEqual(rules[0], "grade")
            self.assertIn("passive", rules)
            self.assertTrue(all(r["shortDescription"]["text"]
                                for r in sarif_run["tool"]["driver"]["rules"]))
            places = [(r["ruleId"], r["locations"][0]["physicalLocation"]["artifactLocation"]["uri"],
                       r["locations"][0]["physicalLocation"]["region"]["startLine"],
                       r["locations"][0]["physicalLocation"]["region"]["startColumn"])
                      for r in sarif_run["results"]]
            uri = "my%20docs/hard%20%C3%BC.md"
            self.assertEqual(places[0], ("grade", uri, 1, 1))
            # Columns in code points: "Üï dog. The cat is " is 19 of them.
            self.assertIn(("adverb", uri, 3, 20), places)
            self.assertIn(("very-hard-sentence", uri, 5, 1), places)
            self.assertFalse([p for p in places if p[1] == "easy.txt"])
            self.assertEqual(sarif_run["results"][0]["level"], "error")

    def test_a_configured_grade_is_a_result_too(self):
        with tempfile.TemporaryDirectory() as folder:
            with open(os.path.join(folder, ".scrivolux.toml"), "w", encoding="utf-8") as f:
                f.write("max-grade = 8\n")
            with open(os.path.join(folder, "hard.md"), "w", encoding="utf-8") as f:
                f.write(HARD)
            run = self.run_cli(folder, "hard.md")
            self.assertEqual(run.returncode, 4, run.stderr)
            results = self.valid(run.stdout)["runs"][0]["results"]
            self.assertEqual([r["ruleId"] for r in results], ["grade"])
            self.assertIn("is above 8", results[0]["message"]["text"])

    def test_no_results_and_an_unreadable_file_still_give_a_valid_log(self):
        with tempfile.TemporaryDirectory() as folder:
            run = self.run_cli(folder, "missing.md")
            self.assertEqual(run.returncode, 2)
            self.assertIn("missing.md", run.stderr)
            self.assertEqual(self.valid(run.stdout)["runs"][0]["results"], [])


if __name__ == "__main__":
    unittest.main()
