"""Reads rows of the virtual display straight through Xlib (ctypes, no helper process), fast
enough to poll every few milliseconds: the start-up benchmark sees the first page arrive to
within a poll, where a screenshot through ImageMagick takes tens of milliseconds."""
import ctypes
import ctypes.util
import time

_ALL_PLANES = ctypes.c_ulong(~0 & 0xFFFFFFFFFFFFFFFF)
_Z_PIXMAP = 2


class _XImage(ctypes.Structure):
    # The leading fields of Xlib's XImage, which are all that is read here.
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.c_void_p),
                ("byte_order", ctypes.c_int), ("bitmap_unit", ctypes.c_int),
                ("bitmap_bit_order", ctypes.c_int), ("bitmap_pad", ctypes.c_int),
                ("depth", ctypes.c_int), ("bytes_per_line", ctypes.c_int),
                ("bits_per_pixel", ctypes.c_int)]


_ERROR_HANDLER = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)


class ScreenRows:
    """Horizontal rows of the root window, as RGB bytes; a row is (x, y, width) and is clipped
    to the screen."""

    def __init__(self, display_name):
        self._x = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
        x = self._x
        x.XOpenDisplay.restype = ctypes.c_void_p
        x.XOpenDisplay.argtypes = [ctypes.c_char_p]
        x.XDefaultRootWindow.restype = ctypes.c_ulong
        x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        x.XDisplayWidth.argtypes = x.XDisplayHeight.argtypes = [ctypes.c_void_p, ctypes.c_int]
        x.XGetImage.restype = ctypes.POINTER(_XImage)
        x.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                                ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
        x.XDestroyImage.argtypes = [ctypes.POINTER(_XImage)]
        x.XCloseDisplay.argtypes = [ctypes.c_void_p]
        # Xlib's default handler ends the process on an error; a failed read is a None instead.
        self._handler = _ERROR_HANDLER(lambda display, event: 0)
        x.XSetErrorHandler(self._handler)
        self._display = x.XOpenDisplay(display_name.encode())
        if not self._display:
            raise RuntimeError("cannot open display " + display_name)
        self._root = x.XDefaultRootWindow(self._display)
        self.width = x.XDisplayWidth(self._display, 0)
        self.height = x.XDisplayHeight(self._display, 0)

    def close(self):
        if self._display:
            self._x.XCloseDisplay(self._display)
            self._display = None

    def row(self, x, y, width):
        left, right = max(0, x), min(self.width, x + width)
        if not 0 <= y < self.height or right <= left:
            return b""
        image = self._x.XGetImage(self._display, self._root, left, y, right - left, 1,
                                  _ALL_PLANES, _Z_PIXMAP)
        if not image:
            return None
        try:
            info = image.contents
            raw = ctypes.string_at(info.data, info.bytes_per_line)
            step = info.bits_per_pixel // 8
        finally:
            self._x.XDestroyImage(image)
        raw = raw[:(right - left) * step]
        if step == 4:
            # The fourth byte of a 24-bit pixel is padding: left out of the comparison.
            out = bytearray(len(raw) // 4 * 3)
            out[0::3], out[1::3], out[2::3] = raw[0::4], raw[1::4], raw[2::4]
            return bytes(out)
        return raw

    def rows(self, rows):
        return tuple(self.row(*r) for r in rows)

    def wait_rows(self, rows, want, timeout, before=None, interval=0.002):
        """Polls until the rows read exactly `want`. Returns the monotonic times of the first
        read that differed from `before` (when given) and of the read that matched, or None
        on timeout."""
        end = time.monotonic() + timeout
        changed = None
        while time.monotonic() < end:
            now = self.rows(rows)
            at = time.monotonic()
            if changed is None and before is not None and now != before:
                changed = at
            if now == want:
                return (changed or at), at
            time.sleep(interval)
        return None
