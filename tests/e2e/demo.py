#!/usr/bin/env python3
"""The scripted demonstration of `./dev run` on a virtual display: Wordlark starts in a fresh
Wine prefix, a few words are typed into Wine's notepad with the suggestion list at the caret,
one is completed with Ctrl+1, Quick Search and Launch is opened, and screenshots are saved."""

import argparse
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--dist", required=True)
    parser.add_argument("--out", required=True)
    args = parser.parse_args()
    os.environ["WL_DIST"] = os.path.abspath(args.dist)
    os.environ["WL_ARTIFACTS"] = os.path.abspath(args.out)
    os.environ["WL_PROBE"] = os.path.join(os.path.dirname(os.path.abspath(args.dist)), "e2e-bin", "wlprobe.exe")
    sys.path.insert(0, HERE)
    import harness
    from harness import Notepad, Probe, Wine, Wordlark, X, wait_until

    os.makedirs(args.out, exist_ok=True)
    wine = Wine("demo")
    try:
        probe = Probe(wine)
        wine.probe = probe
        app = Wordlark(wine, probe).start()
        notepad = Notepad(wine, probe)
        notepad.focus()
        X.type("Wordlark suggests words as you type: ")
        X.type("sugg")
        try:
            wait_until(lambda: app.suggestion_window()["visible"], 15, 0.2, "the suggestion list")
        except harness.TimeoutError_:
            pass
        typing_shot = X.screenshot(os.path.join(args.out, "1-suggestions.png"))
        X.key("ctrl+1")
        X.type(" ")
        X.key("ctrl+space")
        X.type("note")
        launcher_shot = X.screenshot(os.path.join(args.out, "2-quick-search.png"))
        X.key("ctrl+space")
        print("notepad now holds: %r" % notepad.text())
        code = app.exit()
        print("Wordlark exited with code %r" % code)
        print("screenshots of what the user sees:\n  %s\n  %s" % (typing_shot, launcher_shot))
    finally:
        wine.destroy()
    return 0


if __name__ == "__main__":
    sys.exit(main())
