"""What the objects that own a library handle share: closing by context
manager or at garbage collection, and telling whether they are closed."""


class OwnsHandle:
    _handle = None

    def close(self):
        raise NotImplementedError

    @property
    def closed(self):
        return self._handle is None

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    def __del__(self):
        try:
            self.close()
        except Exception:
            pass
