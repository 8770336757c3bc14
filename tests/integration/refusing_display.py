"""An X display that closes its first N connections at once and passes later ones on to a real
server, as a busy server sometimes turns clients away.
    refusing_display.py N SOCKET REAL_SOCKET COUNT_FILE"""
import os
import socket
import sys
import threading


def pump(source, target):
    try:
        while data := source.recv(65536):
            target.sendall(data)
    except OSError:
        pass
    for end in (source, target):
        try:
            end.shutdown(socket.SHUT_RDWR)
        except OSError:
            pass


def main():
    refuse, path, real, count_file = int(sys.argv[1]), sys.argv[2], sys.argv[3], sys.argv[4]
    listener = socket.socket(socket.AF_UNIX)
    listener.bind(path)
    listener.listen(16)
    refused = 0
    while True:
        client, _ = listener.accept()
        if refused < refuse:
            refused += 1
            client.close()
            with open(count_file, "w") as count:
                count.write(str(refused))
            continue
        server = socket.socket(socket.AF_UNIX)
        server.connect(real)
        for source, target in ((client, server), (server, client)):
            threading.Thread(target=pump, args=(source, target), daemon=True).start()


if __name__ == "__main__":
    os.umask(0)
    main()
