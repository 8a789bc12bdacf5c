#!/usr/bin/env python3
"""Builds vocabulary/data/english.pairs, the word-pair model shipped beside english.voc.

Source: the two-word probabilities of pocketsphinx's US English language model (Debian's
pocketsphinx-en-us, BSD-2-Clause), read through libsphinxbase (Debian's libsphinxbase3, which
sphinxbase-utils brings) by a small C helper that this script compiles: the model's ARPA export
aborts before its two-word section, so each pair is asked for one by one.

What is kept (vocabulary/data/README-source.md says how this was tuned):
- previous words: the CONTEXT_WORDS most probable words of the model spelled with letters a-z
  only (the program sees only letters), in lower case, except those of the block list;
- following words: the words of english.voc, in its spelling ("York");
- a pair only when the model holds it and it says more than the fall-back does: its probability
  is at least GAIN times what the previous word's back-off weight times the word's own
  probability gives, and it is among the PER_WORD best pairs of its previous word.

The file (little-endian, vocabulary/word_pairs.h reads it):
  "WLPAIRS1"
  u32 words, u32 pairs, u32 text bytes
  i32 intercept, i32 slope: log10 of a word's own probability is (intercept + slope * log10 of its
      english.voc count) / 1,000,000
  words times: u32 offset of its text, u32 its first pair, i16 log10 of its back-off weight * 1000
  pairs times: u32 the following word, u8 -log10 of the pair's probability * 32 (0 to 255)
  the words' texts, each ending with a NUL byte
Words are ordered by their lower-case form; a word's pairs run from its first pair to the next
word's first pair (or the end), ordered by the following word.

Usage: tools/make_english_pairs.py [--context-words N] [--gain G] [--per-word K] [output]
(default: vocabulary/data/english.pairs with the values below, which make the shipped file)
"""
import math
import os
import re
import struct
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import make_english_voc  # noqa: E402

ROOT = make_english_voc.ROOT
VOCABULARY = os.path.join(ROOT, "vocabulary", "data", "english.voc")
DEFAULT_OUTPUT = os.path.join(ROOT, "vocabulary", "data", "english.pairs")
LIBRARY = "/usr/lib/x86_64-linux-gnu/libsphinxbase.so.3"
LETTERS = re.compile(r"^[a-z]+$")

CONTEXT_WORDS = 8000
GAIN = 2.0
PER_WORD = 400
STEPS_PER_DECADE = 32

# Asks the model for every pair of a previous word (a line of contexts) and a following word (a
# line of targets); writes, for each previous word, the number of pairs the model holds and each
# as the target's line number and log10 of its probability.
HELPER = r"""
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
typedef struct logmath_s logmath_t;
typedef struct ngram_model_s ngram_model_t;
logmath_t *logmath_init(double base, int shift, int use_table);
ngram_model_t *ngram_model_read(void *config, const char *file_name, int file_type, logmath_t *lmath);
int ngram_bg_score(ngram_model_t *model, int wid, int w1, int *n_used);
int ngram_wid(ngram_model_t *model, const char *word);
double logmath_log_to_log10(logmath_t *lmath, int logb_p);

static int *readWids(ngram_model_t *model, const char *path, int *count) {
    FILE *in = fopen(path, "r");
    char line[256];
    int size = 0, room = 1024;
    int *wids = malloc(room * sizeof *wids);
    while (in && fgets(line, sizeof line, in)) {
        line[strcspn(line, "\n")] = 0;
        if (size == room)
            wids = realloc(wids, (room *= 2) * sizeof *wids);
        wids[size++] = ngram_wid(model, line);
    }
    if (in)
        fclose(in);
    *count = size;
    return wids;
}

int main(int argc, char **argv) {
    if (argc != 5)
        return 2;
    logmath_t *lmath = logmath_init(1.0001, 0, 0);
    ngram_model_t *model = ngram_model_read(NULL, argv[1], 0, lmath);
    if (!model)
        return 1;
    int contexts = 0, targets = 0;
    int *contextWids = readWids(model, argv[2], &contexts);
    int *targetWids = readWids(model, argv[3], &targets);
    FILE *out = fopen(argv[4], "wb");
    if (!out)
        return 1;
    unsigned *found = malloc(targets * sizeof *found);
    float *scores = malloc(targets * sizeof *scores);
    for (int c = 0; c < contexts; ++c) {
        unsigned n = 0;
        for (int t = 0; t < targets; ++t) {
            int used = 0;
            int score = ngram_bg_score(model, targetWids[t], contextWids[c], &used);
            if (used == 2) {
                found[n] = (unsigned)t;
                scores[n++] = (float)logmath_log_to_log10(lmath, score);
            }
        }
        fwrite(&n, sizeof n, 1, out);
        for (unsigned i = 0; i < n; ++i) {
            fwrite(&found[i], sizeof found[i], 1, out);
            fwrite(&scores[i], sizeof scores[i], 1, out);
        }
    }
    return fclose(out) == 0 ? 0 : 1;
}
"""


def unigram_lines(folder):
    """(word, log10 probability, log10 back-off weight) of every one-word line of the model."""
    make_english_voc.arpa_unigrams(folder)
    lines = []
    section = None
    with open(os.path.join(folder, "en-us.arpa"), encoding="latin-1") as text:
        for line in text:
            line = line.strip()
            if line.startswith("\\"):
                section = line
            elif section == "\\1-grams:" and line:
                fields = line.split()
                backoff = float(fields[2]) if len(fields) > 2 else 0.0
                lines.append((fields[1], float(fields[0]), backoff))
    return lines


def read_vocabulary():
    counts = {}
    with open(VOCABULARY, "rb") as voc:
        for line in voc.read().split(b"\r\n"):
            if line:
                word, count = line.rsplit(b" ", 1)
                counts[word.decode("cp1252")] = int(count)
    return counts


def fit_unigrams(counts, logprob):
    """Least squares of the model's log10 probability on log10 of the english.voc count."""
    points = [(math.log10(count), logprob[word.lower()]) for word, count in counts.items()
              if word.lower() in logprob and count > 0]
    n = len(points)
    mean_x = sum(x for x, _ in points) / n
    mean_y = sum(y for _, y in points) / n
    slope = sum((x - mean_x) * (y - mean_y) for x, y in points) / sum((x - mean_x) ** 2 for x, _ in points)
    return mean_y - slope * mean_x, slope


def ask_model(folder, contexts, targets):
    helper_source = os.path.join(folder, "pairs.c")
    helper = os.path.join(folder, "pairs")
    with open(helper_source, "w") as out:
        out.write(HELPER)
    subprocess.run(["cc", "-O2", "-o", helper, helper_source, LIBRARY], check=True)
    for name, words in (("contexts", contexts), ("targets", targets)):
        with open(os.path.join(folder, name), "w") as out:
            out.write("".join(word + "\n" for word in words))
    found = os.path.join(folder, "found")
    subprocess.run([helper, make_english_voc.MODEL, os.path.join(folder, "contexts"),
                    os.path.join(folder, "targets"), found], check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    with open(found, "rb") as data:
        raw = data.read()
    pairs = []
    at = 0
    for _ in contexts:
        (n,) = struct.unpack_from("<I", raw, at)
        at += 4
        row = []
        for _ in range(n):
            target, score = struct.unpack_from("<If", raw, at)
            at += 8
            row.append((target, score))
        pairs.append(row)
    return pairs


def main():
    global CONTEXT_WORDS, GAIN, PER_WORD
    args = sys.argv[1:]
    options = {"--context-words": None, "--gain": None, "--per-word": None}
    while args and args[0] in options and len(args) > 1:
        options[args[0]] = args[1]
        args = args[2:]
    CONTEXT_WORDS = int(options["--context-words"] or CONTEXT_WORDS)
    GAIN = float(options["--gain"] or GAIN)
    PER_WORD = int(options["--per-word"] or PER_WORD)
    output = args[0] if args else DEFAULT_OUTPUT
    counts = read_vocabulary()
    with tempfile.TemporaryDirectory() as folder:
        unigrams = unigram_lines(folder)
        logprob = {word: p for word, p, _ in unigrams}
        backoff = {word: b for word, _, b in unigrams}
        blocked = make_english_voc.blocked_words()
        letter_words = [w for w, _, _ in unigrams if LETTERS.match(w) and not make_english_voc.is_blocked(w, blocked)]
        letter_words.sort(key=lambda w: (-logprob[w], w))
        contexts = letter_words[:CONTEXT_WORDS]
        spelling = {word.lower(): word for word in counts}
        targets = sorted(lower for lower in spelling if lower in logprob)
        asked = ask_model(folder, contexts, targets)

    kept = {}
    for context, row in zip(contexts, asked):
        floor = backoff[context] + math.log10(GAIN)
        useful = [(score, targets[t]) for t, score in row if score - logprob[targets[t]] >= floor]
        useful.sort(key=lambda entry: (-entry[0], entry[1]))
        if useful:
            kept[context] = useful[:PER_WORD]

    # Previous words in lower case, following words as english.voc spells them; each word once.
    table = {}
    for context in kept:
        table[context] = spelling.get(context, context)
        for _, target in kept[context]:
            table[target] = spelling[target]
    order = sorted(table, key=lambda lower: (lower.encode("cp1252"), table[lower].encode("cp1252")))
    index = {lower: i for i, lower in enumerate(order)}

    intercept, slope = fit_unigrams(counts, logprob)
    text = b""
    entries = []
    pair_bytes = []
    pair_count = 0
    for lower in order:
        offset = len(text)
        text += table[lower].encode("cp1252") + b"\0"
        weight = round(backoff.get(lower, 0.0) * 1000) if lower in kept else 0
        entries.append(struct.pack("<IIh", offset, pair_count, max(-32768, min(32767, weight))))
        for score, target in sorted(kept.get(lower, []), key=lambda entry: index[entry[1]]):
            steps = max(0, min(255, round(-score * STEPS_PER_DECADE)))
            pair_bytes.append(struct.pack("<IB", index[target], steps))
            pair_count += 1
    header = b"WLPAIRS1" + struct.pack("<IIIii", len(order), pair_count, len(text),
                                       round(intercept * 1e6), round(slope * 1e6))
    with open(output, "wb") as out:
        out.write(header + b"".join(entries) + b"".join(pair_bytes) + text)
    print("%d words, %d pairs from %d previous words written to %s" % (len(order), pair_count, len(kept), output))


if __name__ == "__main__":
    main()
