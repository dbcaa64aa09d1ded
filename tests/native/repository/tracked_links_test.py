"""The link check on small repositories made for it: it must refuse absolute and escaping
links, and accept links that stay inside. Usage: tracked_links_test.py CHECKER"""
import os
import subprocess
import sys
import tempfile


def check(links):
    with tempfile.TemporaryDirectory() as repository:
        subprocess.run(["git", "init", "-q", repository], check=True)
        os.makedirs(os.path.join(repository, "a/b"))
        open(os.path.join(repository, "a/file.txt"), "w").close()
        for name, target in links.items():
            os.symlink(target, os.path.join(repository, name))
        subprocess.run(["git", "-C", repository, "add", "-A"], check=True)
        return subprocess.run([sys.executable, sys.argv[1], repository], capture_output=True).returncode


failures = []
for links, expected in (
        ({}, 0),
        ({"a/b/su": "../file.txt", "dentro": "a/b", "a/qui": "."}, 0),
        ({"node_modules": "/work/main/node_modules"}, 1),
        ({"a/b/fuori": "../../../altro"}, 1),
        ({"su": ".."}, 1),
        ({"a/giro": "b/../../../x"}, 1),
        ({"dentro": "a/b", "assoluto": "/tmp"}, 1)):
    if check(links) != expected:
        failures.append(f"{links}: expected exit status {expected}")
print("\n".join(failures) or "ok")
sys.exit(1 if failures else 0)
