#!/usr/bin/env python3
"""Makes a stand-in installation CD for the benchmarks: a generated XP tree
topped up with files of mixed sizes to the size and file count of a real CD.

    make_cd_tree.py TREE TREE_MB EXTRA_FILES [FOLDER ...]

With EXTRA_FILES 0 the generated tree alone is TREE_MB; otherwise it is a
fifth of it and the extra files, spread over the FOLDERs (relative to TREE,
a folder named more often gets more of them), make up the rest. The same
arguments always give the same tree.
"""

import os
import random
import subprocess
import sys

DEFAULT_FOLDERS = ["I386"] * 6 + ["I386/SYSTEM32", "I386/LANG", "I386/WINNTUPG",
                                  "I386/ASMS/1000/MSFT", "I386/ASMS/5100/MSFT", "DOCS",
                                  "SUPPORT/TOOLS", "VALUEADD/MSFT/MGMT"]
ENDINGS = [".DL_", ".SY_", ".EX_", ".IN_", ".CA_", ".HL_", ".NLS", ".TTF", ".CAB", ".MAN"]


def main():
    root, tree_mb, count = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
    folders = sys.argv[4:] or DEFAULT_FOLDERS
    generated_mb = tree_mb if count == 0 else tree_mb // 5
    generator = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e",
                             "tree_generator", "make_tree.py")
    subprocess.run([sys.executable, generator, "--target", "xp", "--size", "%dM" % generated_mb,
                    "--tree", root], check=True)
    budget = (tree_mb - generated_mb) * 1024 * 1024
    rng = random.Random(7)
    # Sizes spread like an installation CD's: most files small, a few large.
    weights = [rng.expovariate(1.0) ** 2 for _ in range(count)]
    total = sum(weights) or 1.0
    for index, weight in enumerate(weights):
        folder = os.path.join(root, folders[index % len(folders)])
        os.makedirs(folder, exist_ok=True)
        name = "X%05d%s" % (index, ENDINGS[index % len(ENDINGS)])
        with open(os.path.join(folder, name), "wb") as out:
            left = max(1, int(budget * weight / total))
            while left > 0:
                chunk = min(left, 1 << 20)
                out.write(rng.randbytes(chunk))
                left -= chunk


if __name__ == "__main__":
    main()
