#!/usr/bin/env python3
"""Builds vocabulary/data/english.voc, the base vocabulary shipped beside the program.

Source: the unigram log10 probabilities of the US English language model in Debian's
pocketsphinx-en-us (BSD-2-Clause), turned into ARPA text by sphinx_lm_convert (sphinxbase-utils).
Capitals come from Debian's wamerican-huge word list.

count = round(10 ** logprob * 10 ** 9); only words of four or more letters a-z are kept; a word
that the word list knows only with capitals is written with them (London, Monday). The lines are
written in Windows-1252 with CR LF, in the order in which the program saves a vocabulary, so that a
run without use writes the file back unchanged.

Usage: tools/make_english_voc.py [output]   (default: vocabulary/data/english.voc)
"""
import os
import re
import subprocess
import sys
import tempfile

MODEL = "/usr/share/pocketsphinx/model/en-us/en-us.lm.bin"
WORDLIST = "/usr/share/dict/american-english-huge"
ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
DEFAULT_OUTPUT = os.path.join(ROOT, "vocabulary", "data", "english.voc")
WORD = re.compile(r"^[a-z]{4,}$")

# sphinx_lm_convert asserts while writing the two-word section and aborts with the end of the
# one-word section still in its output buffer; this shim flushes the buffers before it exits.
FLUSH_ON_ASSERT = r"""
#include <stdio.h>
#include <unistd.h>
void __assert_fail(const char *a, const char *f, unsigned l, const char *fn) {
    (void)a; (void)f; (void)l; (void)fn;
    fflush(NULL);
    _exit(3);
}
"""


def arpa_unigrams(folder):
    shim_source = os.path.join(folder, "flush.c")
    shim = os.path.join(folder, "flush.so")
    arpa = os.path.join(folder, "en-us.arpa")
    with open(shim_source, "w") as out:
        out.write(FLUSH_ON_ASSERT)
    subprocess.run(["cc", "-shared", "-fPIC", "-o", shim, shim_source], check=True)
    env = dict(os.environ, LD_PRELOAD=shim)
    subprocess.run(["sphinx_lm_convert", "-i", MODEL, "-o", arpa, "-ofmt", "arpa"], env=env,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    declared = None
    unigrams = []
    section = None
    with open(arpa, encoding="latin-1") as text:
        for line in text:
            line = line.strip()
            if line.startswith("ngram 1="):
                declared = int(line.split("=")[1])
            elif line.startswith("\\"):
                section = line
            elif section == "\\1-grams:" and line:
                fields = line.split()
                unigrams.append((fields[1], float(fields[0])))
            elif section == "\\2-grams:":
                break
    if declared is None or len(unigrams) != declared:
        sys.exit("the one-word section is incomplete: %s of %s" % (len(unigrams), declared))
    return unigrams


def capitalised_forms():
    """Maps a lower-case word to its capitalised form when the word list has no lower-case one."""
    forms = {}
    with open(WORDLIST, encoding="utf-8") as words:
        for word in words:
            word = word.strip()
            if word:
                forms.setdefault(word.lower(), set()).add(word)
    chosen = {}
    for lower, spellings in forms.items():
        if lower in spellings:
            continue
        title = lower[:1].upper() + lower[1:]
        chosen[lower] = title if title in spellings else sorted(spellings)[0]
    return chosen


def save_order(word_bytes):
    # Cells are ordered by signed byte value; a word ending at an inner node follows every word
    # below it, so the end of a word sorts after any byte.
    return [b - 256 if b >= 128 else b for b in word_bytes] + [1000]


def main():
    output = sys.argv[1] if len(sys.argv) > 1 else DEFAULT_OUTPUT
    with tempfile.TemporaryDirectory() as folder:
        unigrams = arpa_unigrams(folder)
    capitals = capitalised_forms()
    counts = {}
    for word, logprob in unigrams:
        if not WORD.match(word):
            continue  # <s>, </s>, <UNK>, short words, apostrophes, dots and other non-words
        count = round(10 ** logprob * 10 ** 9)
        if count < 1:
            continue  # a count of 0 is never written
        spelled = capitals.get(word, word).encode("cp1252")
        counts[spelled] = counts.get(spelled, 0) + count
    lines = [b"%s %d\r\n" % (word, counts[word]) for word in sorted(counts, key=save_order)]
    with open(output, "wb") as out:
        out.write(b"".join(lines))
    print("%d words written to %s" % (len(lines), output))


if __name__ == "__main__":
    main()
