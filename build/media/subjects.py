"""The eighteen photo subjects, by file name: a scene function (width, height) -> Renderer and the large size."""
import sorvelo
import tavra

SUBJECTS = {**sorvelo.SUBJECTS, **tavra.SUBJECTS}
