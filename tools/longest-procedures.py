#!/usr/bin/env python3
# The longest procedures of the engine's sources, with their lengths in lines
# (from the first line of the signature to the closing brace):
#   tools/longest-procedures.py [COUNT [DIR]]     (defaults: 10, src)
# A rough C++ reader, enough for this code base: comments, strings and
# character literals are blanked out, namespace bodies are looked into, and a
# brace at file or namespace level whose text before it ends in ")" (perhaps
# followed by const, noexcept, override or a trailing return type) opens a
# procedure. Lambdas count as part of the procedure they stand in.
import os
import re
import sys


def blank_comments_and_strings(text):
    out = []
    i, n = 0, len(text)
    while i < n:
        c = text[i]
        if text.startswith("//", i):
            j = text.find("\n", i)
            j = n if j < 0 else j
            out.append(" " * (j - i))
            i = j
        elif text.startswith("/*", i):
            j = text.find("*/", i + 2)
            j = n if j < 0 else j + 2
            out.append(re.sub(r"[^\n]", " ", text[i:j]))
            i = j
        elif c == '"' or (c == "'" and not (i > 0 and text[i - 1].isalnum())):
            j = i + 1
            while j < n and text[j] != c:
                j += 2 if text[j] == "\\" else 1
            out.append(c + " " * (j - i - 1) + c)
            i = j + 1
        else:
            out.append(c)
            i += 1
    return "".join(out)


SIGNATURE_END = re.compile(r"\)\s*(const|noexcept|override|final|\s|->\s*[\w:<>,\s\*&]+)*$")


def procedures(path):
    text = blank_comments_and_strings(open(path, encoding="utf-8").read())
    found = []
    depth = 0              # braces open in total
    scopes = []            # per open brace: "namespace", "procedure" or "other"
    statement_start = 0    # offset where the current file-level statement began
    proc_start = None
    for i, c in enumerate(text):
        if c == "{":
            inside_procedure = "procedure" in scopes or "other" in scopes
            if not inside_procedure:
                head = text[statement_start:i]
                if re.search(r"\bnamespace\b[\w\s:]*$", head) or re.search(r'\bextern\s+"\s*"\s*$', head):
                    scopes.append("namespace")
                    statement_start = i + 1
                    continue
                if SIGNATURE_END.search(head.rstrip()) and not re.search(r"\b(struct|class|enum|union)\b", head):
                    name = re.findall(r"(operator\s*[^\s(]+|[\w:~]+)\s*\(", head)
                    first = len(text[:statement_start]) + (len(head) - len(head.lstrip()))
                    proc_start = (name[0] if name else "?", text.count("\n", 0, first) + 1)
                    scopes.append("procedure")
                    continue
                scopes.append("other")
                continue
            scopes.append("inner")
        elif c == "}":
            kind = scopes.pop() if scopes else "namespace"
            if kind == "procedure":
                line = text.count("\n", 0, i) + 1
                found.append((line - proc_start[1] + 1, proc_start[0], path, proc_start[1]))
                statement_start = i + 1
            elif kind in ("namespace", "other") and not ("procedure" in scopes or "other" in scopes):
                statement_start = i + 1
        elif c in ";" and not scopes or (c == ";" and all(s == "namespace" for s in scopes)):
            statement_start = i + 1
        elif c == "#" and all(s == "namespace" for s in scopes):
            # A preprocessor line ends the statement before it.
            j = text.find("\n", i)
            if text[statement_start:i].strip() == "":
                statement_start = (len(text) if j < 0 else j + 1)
    return found


def main():
    count = int(sys.argv[1]) if len(sys.argv) > 1 else 10
    root = sys.argv[2] if len(sys.argv) > 2 else os.path.join(os.path.dirname(__file__), "..", "src")
    found = []
    for folder, _, files in os.walk(root):
        for f in sorted(files):
            if f.endswith((".cpp", ".h")):
                found += procedures(os.path.join(folder, f))
    found.sort(key=lambda x: -x[0])
    for length, name, path, line in found[:count]:
        print(f"{length:5d}  {name}  {os.path.relpath(path, root)}:{line}")


if __name__ == "__main__":
    main()
