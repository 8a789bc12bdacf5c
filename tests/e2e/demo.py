#!/usr/bin/env python3
"""The scripted demonstration of `./dev run` on a virtual display: Wordlark starts in a fresh
Wine prefix, a few words are typed into Wine's notepad with the suggestion list at the caret,
one is completed with Ctrl+1, Quick Search and Launch is opened, and screenshots are saved."""

import argparse
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))


def show_quick_search(probe, app, X, wait_until, query):
    """Opens the command window with its hot key (it shows at start-up, so the first press may
    hide it), clicks into its field and types the query."""
    pid = app.main_window()["pid"]

    def command_window():
        for w in probe.windows():
            if w["pid"] == pid and w["class"] == "#32770":
                edits = [c for c in probe.children(w["hwnd"]) if c["class"] == "Edit"]
                if edits:
                    return w, edits[0]
        return None

    window, edit = wait_until(command_window, 20, 0.3, "the command window")
    X.key("ctrl+space")
    if window["visible"]:
        wait_until(lambda: not command_window()[0]["visible"], 10, 0.2, "the command window hidden")
        X.key("ctrl+space")
    wait_until(lambda: command_window()[0]["visible"], 10, 0.2, "the command window shown")
    rect = edit["rect"]
    X.click((rect[0] + rect[2]) // 2, (rect[1] + rect[3]) // 2)
    X.type(query)
    try:
        wait_until(lambda: probe.text(edit["hwnd"]) == query, 10, 0.2, "the query typed")
    except AssertionError:
        pass


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
        show_quick_search(probe, app, X, wait_until, "note")
        launcher_shot = X.screenshot(os.path.join(args.out, "2-quick-search.png"))
        notepad.focus()
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
