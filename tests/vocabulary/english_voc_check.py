#!/usr/bin/env python3
"""The shipped base vocabulary: none of its words is blocked (in any case), every word is spelled
as the spelling lists spell it, its counts lie in the documented range, and the generator makes
the same bytes again from its sources. The same for its pair model: it suggests only words of the
vocabulary, stays within its size, and its generator makes the same bytes again. The loading and
save order are the unit tests' concern."""
import os
import re
import struct
import subprocess
import sys
import tempfile
import unittest

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
DATA = os.path.join(ROOT, "vocabulary", "data")
SHIPPED = os.path.join(DATA, "english.voc")
SHIPPED_PAIRS = os.path.join(DATA, "english.pairs")
BLOCKED = os.path.join(DATA, "blocked-words.txt")
SCOWL = "/usr/share/dict/scowl"
SPELLING_LISTS = re.compile(r"^(english|american|british)-(words|upper|proper-names|abbreviations)\.(\d+)$")


def shipped_counts():
    with open(SHIPPED, "rb") as voc:
        lines = voc.read().split(b"\r\n")
    assert lines[-1] == b"", "the file ends with CR LF"
    counts = {}
    for line in lines[:-1]:
        word, count = line.decode("cp1252").rsplit(" ", 1)
        counts[word] = int(count)
    return counts


def regenerates(tool, shipped):
    """Whether tools/<tool> writes the very bytes of the shipped file again."""
    with tempfile.TemporaryDirectory() as folder:
        made = os.path.join(folder, os.path.basename(shipped))
        subprocess.run([sys.executable, os.path.join(ROOT, "tools", tool), made], check=True,
                       stdout=subprocess.DEVNULL)
        with open(made, "rb") as new, open(shipped, "rb") as old:
            return new.read() == old.read()


def blocked_entries():
    with open(BLOCKED, encoding="utf-8") as lines:
        return [line.strip() for line in lines if line.strip() and not line.startswith("#")]


def as_regex(entries):
    # "*" is any run of letters, anything else is itself; a word matches only whole.
    return re.compile("^(?:%s)$" % "|".join(".*".join(re.escape(p) for p in e.split("*")) for e in entries))


class ShippedVocabulary(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.counts = shipped_counts()

    def test_no_word_matches_the_block_list_in_any_case(self):
        entries = blocked_entries()
        # The words are lower-cased before matching, so a capital in an entry would block nothing.
        self.assertEqual([e for e in entries if e != e.lower() or not re.match(r"^[a-z*]+$", e)], [])
        self.assertIn("*fuck*", entries)
        blocked = as_regex(entries)
        found = sorted(word for word in self.counts if blocked.match(word.lower()))
        self.assertEqual(found, [])

    def test_every_word_is_spelled_as_the_spelling_lists_spell_it(self):
        known = {}
        for name in os.listdir(SCOWL):
            match = SPELLING_LISTS.match(name)
            if match and int(match.group(3)) <= 60:
                with open(os.path.join(SCOWL, name), encoding="utf-8") as words:
                    for word in words:
                        known[word.strip()] = True
        unknown = sorted(word for word in self.counts if word not in known)
        self.assertEqual(unknown[:20], [])
        for misspelling in ("alot", "everytime", "arent", "dont", "SHEN", "MARV", "cant"):
            self.assertNotIn(misspelling, self.counts)

    def test_counts_run_from_1_to_10000_with_the_median_at_10(self):
        counts = sorted(self.counts.values())
        self.assertGreater(len(counts), 40000)
        self.assertEqual(counts[0], 1)
        self.assertEqual(counts[-1], 10000)
        self.assertEqual(counts[len(counts) // 2], 10)

    def test_the_generator_makes_the_same_bytes_again(self):
        self.assertTrue(regenerates("make_english_voc.py", SHIPPED),
                        "english.voc differs from what its sources make now")


class EnglishPairs(unittest.TestCase):
    def test_pairs_follow_with_words_of_english_voc_only_and_the_file_stays_small(self):
        with open(SHIPPED_PAIRS, "rb") as model:
            data = model.read()
        self.assertLess(len(data), 8 * 1024 * 1024)
        self.assertEqual(data[:8], b"WLPAIRS1")
        words, pairs, text_bytes = struct.unpack_from("<III", data, 8)
        entries_at = 28
        pairs_at = entries_at + 10 * words
        text_at = pairs_at + 5 * pairs
        self.assertEqual(len(data), text_at + text_bytes)
        texts = data[text_at:].split(b"\0")[:-1]
        self.assertEqual(len(texts), words)
        vocabulary = set(word.encode("cp1252") for word in shipped_counts())
        followers = set(struct.unpack_from("<I", data, pairs_at + 5 * i)[0] for i in range(pairs))
        strangers = sorted(texts[i] for i in followers if texts[i] not in vocabulary)
        self.assertEqual(strangers[:20], [])
        self.assertGreater(pairs, 100000)

    def test_the_pair_generator_makes_the_same_bytes_again(self):
        self.assertTrue(regenerates("make_english_pairs.py", SHIPPED_PAIRS),
                        "english.pairs differs from what its sources make now")


if __name__ == "__main__":
    unittest.main()
