#!/usr/bin/env python3
"""Writes the misspellings that bench_keystroke_savings --misspellings types, from codespell's
dictionary of common misspellings (Debian's codespell; its data is CC BY-SA 3.0).

Kept: the lines "misspelling->correction" with a single correction (a line with several names no
one word meant), both of letters a-z and A-Z only, whose correction english.voc holds with five
letters or more. The correction is written in english.voc's spelling ("American"), the misspelling
as codespell gives it; one pair a line, "misspelled correct", in codespell's order.

Usage: tools/make_misspellings.py OUTPUT [--voc FILE] [--dictionary FILE]
"""
import argparse
import glob
import os
import re
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
DICTIONARIES = "/usr/lib/python3/dist-packages/codespell_lib/data/dictionary.txt"
WORD = re.compile(r"^[A-Za-z]+$")


def vocabulary_spellings(path):
    """{lower-case word: its spelling in the vocabulary} for the words with a count of 1 or more."""
    spellings = {}
    with open(path, encoding="cp1252") as voc:
        for line in voc:
            word, _, count = line.rstrip("\r\n").rpartition(" ")
            if word and count.isdigit() and int(count) > 0:
                spellings.setdefault(word.lower(), word)
    return spellings


def pairs(dictionary, spellings):
    with open(dictionary, encoding="utf-8") as source:
        for line in source:
            bad, arrow, good = line.strip().partition("->")
            if not arrow:
                continue
            corrections = [c.strip() for c in good.split(",") if c.strip()]
            if len(corrections) != 1 or not WORD.match(bad) or not WORD.match(corrections[0]):
                continue
            meant = spellings.get(corrections[0].lower())
            if meant and len(meant) >= 5 and bad.lower() != meant.lower():
                yield bad, meant


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("output")
    parser.add_argument("--voc", default=os.path.join(ROOT, "vocabulary", "data", "english.voc"))
    parser.add_argument("--dictionary", default=DICTIONARIES)
    args = parser.parse_args()
    if not glob.glob(args.dictionary):
        sys.exit("no codespell dictionary at %s (Debian package codespell)" % args.dictionary)
    found = list(pairs(args.dictionary, vocabulary_spellings(args.voc)))
    os.makedirs(os.path.dirname(os.path.abspath(args.output)), exist_ok=True)
    with open(args.output, "w", encoding="cp1252", newline="\n") as out:
        for bad, meant in found:
            out.write("%s %s\n" % (bad, meant))
    print("%d pairs written to %s" % (len(found), args.output))


if __name__ == "__main__":
    main()
