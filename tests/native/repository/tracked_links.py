"""Fails when the repository tracks a symbolic link that points at an absolute path or out of
the repository: such a link means one machine's folders, and tools that follow it in another
clone (a package install, a clean) change that machine's files.

Usage: tracked_links.py REPOSITORY
"""
import posixpath
import subprocess
import sys

LINK_MODE = "120000"


def git(repository, *args, input_bytes=None):
    return subprocess.run(["git", "-C", repository, *args], input=input_bytes, capture_output=True,
                          check=True).stdout


def tracked_links(repository):
    """(path, target) of every symbolic link in the index."""
    links = []
    for record in git(repository, "ls-files", "--stage", "-z").split(b"\0"):
        if not record:
            continue
        info, path = record.split(b"\t", 1)
        mode, blob, _stage = info.decode().split()
        if mode == LINK_MODE:
            links.append((path.decode("utf-8", "replace"), blob))
    if not links:
        return []
    blobs = "".join(blob + "\n" for _, blob in links).encode()
    output = git(repository, "cat-file", "--batch", input_bytes=blobs)
    targets = []
    for _ in links:
        header, output = output.split(b"\n", 1)
        size = int(header.split()[2])
        targets.append(output[:size].decode("utf-8", "replace"))
        output = output[size + 1:]
    return [(path, target) for (path, _), target in zip(links, targets)]


def leaves_repository(path, target):
    if target.startswith(("/", "\\")) or (len(target) > 1 and target[1] == ":"):
        return True
    resolved = posixpath.normpath(posixpath.join(posixpath.dirname(path), target.replace("\\", "/")))
    return resolved == ".." or resolved.startswith("../")


def main():
    repository = sys.argv[1]
    bad = [(path, target) for path, target in tracked_links(repository) if leaves_repository(path, target)]
    for path, target in bad:
        print(f"{path} -> {target}: a tracked link must stay inside the repository", file=sys.stderr)
    sys.exit(1 if bad else 0)


if __name__ == "__main__":
    main()
