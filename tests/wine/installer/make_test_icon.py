"""Writes a small one-colour icon file for a test build of the installer."""
import sys

from PIL import Image

output, colour = sys.argv[1], sys.argv[2]
Image.new("RGBA", (32, 32), colour).save(output, format="ICO", sizes=[(32, 32), (16, 16)])
