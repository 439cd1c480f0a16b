#!/usr/bin/env python3
# A folder whose listing never returns, like a network share that went away: every listing of it
# blocks until this server ends.  usage: stuck_folder.py MOUNT_POINT
import errno
import stat
import sys
import threading

from fusepy import FUSE, FuseOSError, Operations


class StuckFolder(Operations):
    def getattr(self, path, fh=None):
        if path != '/':
            raise FuseOSError(errno.ENOENT)
        return {'st_mode': stat.S_IFDIR | 0o755, 'st_nlink': 2}

    def readdir(self, path, fh):
        threading.Event().wait()


FUSE(StuckFolder(), sys.argv[1], foreground=True)
