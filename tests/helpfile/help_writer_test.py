"""The help file's writer refuses what the dialogs and the help file would
disagree about, and what the format cannot hold, naming the line; and its
LZ77 gives back what it was given.

Each case starts from the real header and help source and changes one thing.
Usage: python3 -m unittest help_writer_test (from this folder), with
ZOR_SOURCE set to the repository's folder, or run from within it.
"""
import os
import random
import struct
import sys
import tempfile
import unittest

ROOT = os.environ.get('ZOR_SOURCE') or os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..')
sys.path.insert(0, os.path.join(ROOT, 'generators', 'helpfile'))

import hlp_format                     # noqa: E402
import make_help                      # noqa: E402

HEADER = os.path.join(ROOT, 'provider', 'resources', 'help_ids.h')
SOURCE = os.path.join(ROOT, 'provider', 'resources', 'zornet32_help.txt')


def read(path):
    with open(path, encoding='utf-8') as f:
        return f.read()


def line_of(text, fragment):
    return text[:text.index(fragment)].count('\n') + 1


class Refusals(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.TemporaryDirectory()
        self.header, self.source = read(HEADER), read(SOURCE)

    def tearDown(self):
        self.folder.cleanup()

    def write(self):
        """Runs the writer on the (changed) texts: (status, message, output exists)."""
        header = os.path.join(self.folder.name, 'help_ids.h')
        source = os.path.join(self.folder.name, 'help.txt')
        output = os.path.join(self.folder.name, 'OUT.HLP')
        with open(header, 'w', encoding='utf-8') as f:
            f.write(self.header)
        with open(source, 'w', encoding='utf-8') as f:
            f.write(self.source)
        errors = []
        real_stderr, sys.stderr = sys.stderr, type('E', (), {'write': lambda _, s: errors.append(s)})()
        try:
            status = make_help.main(['make_help.py', header, source, output])
        finally:
            sys.stderr = real_stderr
        return status, ''.join(errors).strip(), os.path.exists(output)

    def assertRefused(self, file, line, words):
        status, message, written = self.write()
        self.assertEqual(status, 1, message)
        self.assertFalse(written, 'a refused source leaves no help file')
        self.assertTrue(message.startswith('%s:%d: ' % (os.path.join(self.folder.name, file), line)), message)
        self.assertIn(words, message)

    def test_the_real_sources_are_accepted(self):
        status, message, written = self.write()
        self.assertEqual((status, message, written), (0, '', True))

    def test_a_help_id_of_the_table_without_a_topic(self):
        self.source = self.source.replace('@topic IDH_LOGON_ICON', '@topic ICON_PICTURE')
        self.assertRefused('help_ids.h', line_of(self.header, 'HELP_PAIR(IDC_LOGON_ICON'),
                           'IDH_LOGON_ICON (3100) is in the table but')

    def test_a_topic_the_table_does_not_use(self):
        self.header = self.header.replace('#define IDH_LOGON_ICON       3100',
                                          '#define IDH_LOGON_ICON       3100\n#define IDH_SPARE 3110')
        self.assertRefused('help_ids.h', line_of(self.header, 'IDH_SPARE'), 'not used by the table')
        self.header = read(HEADER)
        self.source += '\n@topic IDH_SPARE\n@title Spare\nText.\n'
        self.assertRefused('help.txt', line_of(self.source, '@topic IDH_SPARE'), 'is not a help id of')

    def test_duplicate_ids(self):
        self.header = self.header.replace('IDH_LOGON_ICON       3100', 'IDH_LOGON_ICON       3000')
        self.assertRefused('help_ids.h', line_of(self.header, 'IDH_LOGON_ICON       3000'),
                           'has the number 3000 of IDH_USER_NAME')
        self.header = read(HEADER)
        self.source += '\n@topic IDH_DOMAIN\n@title Domain again\nText.\n'
        self.assertRefused('help.txt', self.source.count('\n') - 2, 'topic IDH_DOMAIN is already defined')
        # letters count without case in the hash a jump finds its topic by
        self.source = read(SOURCE) + '\n@topic Contents\n@title Contents again\nText.\n'
        self.assertRefused('help.txt', self.source.count('\n') - 2, 'topic Contents hashes like CONTENTS')

    def test_text_the_format_cannot_hold(self):
        original = self.source
        for changed, line_text, words in [
                ('appears as an asterisk (\u2731).', 'appears as an asterisk', 'no place in the Windows character set'),
                ('appears as an asterisk\t(*).', 'appears as an asterisk', 'control character'),
                ('appears as an {asterisk} (*).', 'appears as an', "only make jumps"),
                ('appears as an {asterisk|IDH_NOWHERE} (*).', 'appears as an', 'jump to IDH_NOWHERE, which is no topic')]:
            self.source = original.replace('appears as an asterisk (*).', changed)
            # a paragraph is named by its first line
            self.assertRefused('help.txt', line_of(self.source, 'Type your domain password.'), words)
        self.source = original.replace('@title User name', '@title ' + 'x' * 128)
        self.assertRefused('help.txt', line_of(self.source, '@title xxx'), 'a title has 1 to 127 characters')
        self.source = original.replace('@topic IDH_DOMAIN', '@topic IDH-DOMAIN')
        self.assertRefused('help.txt', line_of(self.source, '@topic IDH-DOMAIN'), "letters, digits, '.' and '_' only")
        # more keywords than the Index's one page holds: the source as a whole is named
        self.source = original.replace('@keywords user name', '@keywords ' + '; '.join('word %d' % n for n in range(300)))
        status, message, written = self.write()
        self.assertEqual((status, written), (1, False), message)
        self.assertTrue(message.startswith(os.path.join(self.folder.name, 'help.txt') + ': '), message)
        self.assertIn('keywords', message)


class TopicBlocks(unittest.TestCase):
    def test_topics_past_the_first_block_are_where_a_reader_looks(self):
        """More topics than one block holds, walked as the readers walk
        |TOPIC: each block expanded on its own, from position 12 along
        NextBlock, counting each paragraph's TopicLength within its block.
        Varied text fills a block's 4 KB compressed; repeated text, its
        16 KB once expanded."""
        words = random.Random(3)
        varied = [b' '.join(b'%x' % words.getrandbits(24) for _ in range(60)) for n in range(40)]
        repeated = [b'Type your password again. ' * 20] * 120
        for texts in (varied, repeated):
            topics = [hlp_format.Topic(b'Topic %d' % n, [hlp_format.Paragraph([('text', text)])] * 3)
                      for n, text in enumerate(texts)]
            self.assertEqual(self.walk(*hlp_format.topic_file(topics)), [t.title for t in topics])

    def walk(self, data, offsets):
        blocks = [data[at:at + hlp_format.TOPIC_BLOCK_SIZE] for at in range(0, len(data), hlp_format.TOPIC_BLOCK_SIZE)]
        self.assertGreater(len(blocks), 2)
        expanded = [hlp_format.lz77_expand(block[12:]) for block in blocks]
        found, pos, chars, previous_block = [], 12, 0, 0
        while pos != hlp_format.NONE:
            block, at = divmod(pos - 12, hlp_format.DECOMPRESS_SIZE)
            if block != previous_block:
                self.assertEqual(int.from_bytes(blocks[block][4:8], 'little'), pos, 'FirstTopicLink')
                chars, previous_block = 0, block
            size, length2, _, next_pos, length1, kind = struct.unpack_from('<IIIIIB', expanded[block], at)
            self.assertLessEqual(at + size, min(len(expanded[block]), hlp_format.DECOMPRESS_SIZE), 'a link crosses its block')
            if kind == hlp_format.RECORD_TOPIC_HEADER:
                self.assertEqual(block * 0x8000 + chars, offsets[len(found)], 'topic offset')
                found.append(expanded[block][at + length1:at + size].rstrip(b'\0'))
            else:
                chars += length2
            pos = next_pos
        return found


class Compression(unittest.TestCase):
    def test_lz77_gives_back_what_it_was_given(self):
        generator = random.Random(7)
        noise = bytes(generator.randrange(256) for _ in range(5000))
        samples = [b'', b'a', b'abc' * 2000, read(SOURCE).encode('cp1252', 'replace'), noise,
                   bytes(generator.choice(b'ab') for _ in range(9000)),
                   noise[:4096] + noise[:18], noise[:4097] + noise[:18]]  # a match just in, just out of reach
        for data in samples:
            packed = hlp_format.lz77_compress(data)
            self.assertEqual(hlp_format.lz77_expand(packed), data)
            self.assertLessEqual(len(packed), len(data) * 9 // 8 + 1)
        self.assertLess(len(hlp_format.lz77_compress(samples[3])), len(samples[3]) * 2 // 3)


if __name__ == '__main__':
    unittest.main()
