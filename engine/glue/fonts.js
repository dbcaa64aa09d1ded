// The cell fonts: Calibri's advance widths under a name of their own, carried in this
// script (CELL_FONTS, written by the build) so text is drawn as wide as the layout
// measured it on any device, whatever fonts it has installed.
const CELL_FAMILY = 'Stilaro Sans';
let cellFontsLoading = null;

function loadCellFonts() {
  if (!cellFontsLoading) {
    cellFontsLoading = Promise.all(CELL_FONTS.map(([style, weight, base64]) => {
      const binary = atob(base64);
      const bytes = new Uint8Array(binary.length);
      for (let i = 0; i < binary.length; i++) bytes[i] = binary.charCodeAt(i);
      const face = new FontFace(CELL_FAMILY, bytes, { style, weight });
      document.fonts.add(face);
      // A face that fails leaves the installed fonts to draw: the card still opens.
      return face.load().catch(() => {});
    }));
  }
  return cellFontsLoading;
}
