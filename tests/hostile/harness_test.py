#!/usr/bin/python3
"""What the hostile harness takes for a tool's message, from stderr as
sanitizer builds write it."""
import unittest

import run_hostile

REFUSAL = "page-render: the document \u201cx.qvleaf\u201d could not be read."
SUPPRESSIONS = """-----------------------------------------------------
Suppressions used:
  count      bytes template
      2       1040 libhyphen.so
     11      90112 libfontconfig.so
-----------------------------------------------------

"""
LEAK = """
=================================================================
==4242==ERROR: LeakSanitizer: detected memory leaks

Direct leak of 64 byte(s) in 1 object(s) allocated from:
    #0 0x7f00 in operator new[](unsigned long)
    #1 0x5500 in ql::text::Hyphenator::hyphenate(QStringView) src/content/text/Hyphenator.cpp:200

SUMMARY: AddressSanitizer: 64 byte(s) leaked in 1 allocation(s).
"""


class ToolMessage(unittest.TestCase):
    def test_suppressions_used_is_not_part_of_the_message(self):
        stderr = "This plugin does not support propagateSizeHints()\n" + REFUSAL + "\n" + SUPPRESSIONS
        self.assertEqual(run_hostile.tool_message(stderr), [REFUSAL])

    def test_a_leak_report_still_counts(self):
        message = run_hostile.tool_message(REFUSAL + "\n" + LEAK + SUPPRESSIONS)
        self.assertIn("==4242==ERROR: LeakSanitizer: detected memory leaks", message)
        self.assertIn("SUMMARY: AddressSanitizer: 64 byte(s) leaked in 1 allocation(s).", message)
        self.assertNotIn("Suppressions used:", message)

    def test_only_a_whole_block_is_left_out(self):
        cut_short = "-" * 53 + "\nSuppressions used:\n  count      bytes template\n"
        self.assertEqual(run_hostile.tool_message(REFUSAL + "\n" + cut_short)[0], REFUSAL)
        self.assertEqual(len(run_hostile.tool_message(REFUSAL + "\n" + cut_short)), 4)


if __name__ == "__main__":
    unittest.main()
