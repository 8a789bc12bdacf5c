#!/usr/bin/env python3
"""Builds vocabulary/data/english.voc, the base vocabulary shipped beside the program.

Sources, all Debian packages (vocabulary/data/README-source.md says why these):
- pocketsphinx-en-us (BSD-2-Clause): the unigram log10 probabilities of its US English language
  model, turned into ARPA text by sphinx_lm_convert (sphinxbase-utils): how often words are used.
- scowl (SCOWL, MIT-like): the US and British spelling lists up to size 60, the largest size their
  author vouches for as free of misspellings. A word is kept only when these lists hold it, in the
  case they give (London, NASA); its size level (10 for the commonest words, then 20, 35, 40, 50,
  55, 60) says how common it is in written English, and each step halves its weight.
- vocabulary/data/blocked-words.txt: words never offered (slurs, profanity, sexual and violent).

Kept are words of four or more letters a-z (the program reads no shorter word with a count),
except contractions typed without their apostrophe (cant, whats): a word whose spelling with an
apostrophe the model finds ten or more times as often is left out.

count: the weight, scaled so that the most frequent word gets 10,000 and the median word 10, the
others on the power law through these two points (at least 1). The order of the words by weight is
kept; a user's own word with count 200 stands among the common ones. The lines are written in
Windows-1252 with CR LF, in the order in which the program saves a vocabulary, so that a run
without use writes the file back unchanged.

Usage: tools/make_english_voc.py [--list-left-out] [output]   (default: vocabulary/data/english.voc)
"""
import math
import os
import re
import subprocess
import sys
import tempfile

MODEL = "/usr/share/pocketsphinx/model/en-us/en-us.lm.bin"
SCOWL = "/usr/share/dict/scowl"
ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BLOCKED = os.path.join(ROOT, "vocabulary", "data", "blocked-words.txt")
DEFAULT_OUTPUT = os.path.join(ROOT, "vocabulary", "data", "english.voc")
WORD = re.compile(r"^[a-z]{4,}$")

SPELLINGS = ("english", "american", "british")
KINDS = ("words", "upper", "proper-names", "abbreviations")
LEVELS = (10, 20, 35, 40, 50, 55, 60)
CONTRACTION_RATIO = 10
TOP_COUNT = 10000
MEDIAN_COUNT = 10

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


def dictionary():
    """Maps a lower-case word to its spellings in the lists, each with its lowest size level."""
    spellings = {}
    for spelling in SPELLINGS:
        for kind in KINDS:
            for level in LEVELS:
                path = os.path.join(SCOWL, "%s-%s.%d" % (spelling, kind, level))
                if not os.path.exists(path):
                    continue
                with open(path, encoding="utf-8") as words:
                    for word in words:
                        word = word.strip()
                        forms = spellings.setdefault(word.lower(), {})
                        forms[word] = min(forms.get(word, level), level)
    if not spellings:
        sys.exit("no SCOWL word lists in %s (Debian package scowl)" % SCOWL)
    return spellings


def spelled(lower, forms):
    """The dictionary's spelling of a word: lower case when it knows that, else its commonest
    capitalised form (Title case before all capitals on a tie)."""
    if lower in forms:
        return lower, forms[lower]
    title = lower[:1].upper() + lower[1:]
    best = min(forms, key=lambda form: (forms[form], form != title, form))
    return best, forms[best]


def blocked_words(path=BLOCKED):
    """One expression for the whole block list: "*" is any run of letters, the rest is literal."""
    alternatives = []
    with open(path, encoding="utf-8") as lines:
        for line in lines:
            line = line.strip().lower()
            if line and not line.startswith("#"):
                alternatives.append(".*".join(re.escape(part) for part in line.split("*")))
    return re.compile("^(?:%s)$" % "|".join(alternatives))


def is_blocked(word, blocked):
    return blocked.match(word.lower()) is not None


def save_order(word_bytes):
    # Cells are ordered by signed byte value; a word ending at an inner node follows every word
    # below it, so the end of a word sorts after any byte.
    return [b - 256 if b >= 128 else b for b in word_bytes] + [1000]


def scaled_counts(weights):
    """Counts from 1 to TOP_COUNT: the largest weight gets TOP_COUNT, the median MEDIAN_COUNT."""
    ordered = sorted(weights.values())
    top, median = ordered[-1], ordered[len(ordered) // 2]
    power = math.log(TOP_COUNT / MEDIAN_COUNT) / math.log(top / median)
    return {word: max(1, round(TOP_COUNT * (weight / top) ** power)) for word, weight in weights.items()}


def main():
    args = sys.argv[1:]
    list_left_out = "--list-left-out" in args
    args = [arg for arg in args if arg != "--list-left-out"]
    output = args[0] if args else DEFAULT_OUTPUT

    with tempfile.TemporaryDirectory() as folder:
        unigrams = arpa_unigrams(folder)
    spellings = dictionary()
    blocked = blocked_words()

    probability = {}
    with_apostrophe = {}
    for word, logprob in unigrams:
        if WORD.match(word):
            probability[word] = probability.get(word, 0.0) + 10 ** logprob
        elif "'" in word:
            bare = word.replace("'", "")
            with_apostrophe[bare] = with_apostrophe.get(bare, 0.0) + 10 ** logprob

    weights = {}
    left_out = {"unknown to the dictionary": [], "contraction without its apostrophe": [], "blocked": []}
    for word, p in probability.items():
        if word not in spellings:
            left_out["unknown to the dictionary"].append(word)
            continue
        if with_apostrophe.get(word, 0.0) >= CONTRACTION_RATIO * p:
            left_out["contraction without its apostrophe"].append(word)
            continue
        form, level = spelled(word, spellings[word])
        if is_blocked(form, blocked):
            left_out["blocked"].append(form)
            continue
        weights[form] = p * 0.5 ** LEVELS.index(level)

    counts = scaled_counts(weights)
    encoded = {word.encode("cp1252"): count for word, count in counts.items()}
    lines = [b"%s %d\r\n" % (word, encoded[word]) for word in sorted(encoded, key=save_order)]
    with open(output, "wb") as out:
        out.write(b"".join(lines))
    print("%d words written to %s" % (len(lines), output))
    for reason, words in left_out.items():
        print("left out, %s: %d" % (reason, len(words)))
        if list_left_out:
            for word in sorted(words):
                print("  " + word)


if __name__ == "__main__":
    main()
