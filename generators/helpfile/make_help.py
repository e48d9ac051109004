#!/usr/bin/env python3
"""Writes a WinHelp file from its help source and the header of help ids.

Usage: make_help.py HELP_IDS.H SOURCE OUTPUT.HLP [LISTING]

LISTING, if given, receives what each topic should show, for the tests that
read the topics back from the platform's help viewer (tab-separated,
Windows-1252):
    contents  CONTEXT
    topic     NUMBER-OR-0  CONTEXT  TITLE  TEXT
    keyword   KEYWORD  CONTEXT
    jump      FROM-CONTEXT  LABEL  TARGET-CONTEXT  TEXT-BEFORE-IT-IN-ITS-PARAGRAPH

A refusal prints "FILE:LINE: what is wrong" ("SOURCE: what is wrong" when
the source as a whole does not fit the format) and exits with status 1; no
output file is left behind then.
"""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import hlp_format as hlp                                     # noqa: E402
from help_source import (SourceError, check, plain_text,     # noqa: E402
                         read_help_ids, read_help_source)

FACE = b'MS Sans Serif'
FONTS = [(16, False),      # 0: text, 8 points
         (20, True)]       # 1: headings, 10 points bold
BODY, HEADING = 0, 1
SPACE_BEFORE = {'body': 12, 'heading': 24}   # half points above all but a topic's first paragraph


def build(ids, source):
    check(source, ids)
    topics = []
    for topic in source.topics:
        paragraphs = []
        for n, (style, runs, _) in enumerate(topic.paragraphs):
            encoded = [('text', r[1].encode('cp1252')) if r[0] == 'text'
                       else ('jump', r[1].encode('cp1252'), hlp.context_hash(r[2]) & 0xFFFFFFFF)
                       for r in runs]
            paragraphs.append(hlp.Paragraph(encoded, HEADING if style == 'heading' else BODY,
                                            SPACE_BEFORE[style] if n else 0))
        topics.append(hlp.Topic(topic.title[0].encode('cp1252'), paragraphs))

    topic_data, offsets = hlp.topic_file(topics)
    offset_of = {t.name: offsets[i] for i, t in enumerate(source.topics)}
    keywords = {}
    for topic in source.topics:
        for keyword, _ in topic.keywords:
            keywords.setdefault(keyword.encode('cp1252'), []).append(offset_of[topic.name])
    kwbtree, kwdata, kwmap = hlp.keyword_files(keywords)
    title = source.title[0].encode('cp1252')
    files = {
        '|SYSTEM': hlp.system_file(title, offset_of[source.contents[0]], title),
        '|TOPIC': topic_data,
        '|FONT': hlp.font_file(FACE, FONTS),
        '|CONTEXT': hlp.context_file([(t.name, offset_of[t.name]) for t in source.topics]),
        '|CTXOMAP': hlp.ctxomap_file([(ids.numbers[t.name][0], offset_of[t.name])
                                      for t in source.topics if t.name in ids.numbers]),
        '|TTLBTREE': hlp.title_file([(offset_of[t.name], t.title[0].encode('cp1252'))
                                     for t in source.topics]),
        '|KWBTREE': kwbtree,
        '|KWDATA': kwdata,
        '|KWMAP': kwmap,
    }
    return hlp.help_file(files)


def listing(ids, source):
    lines = ['contents\t%s' % source.contents[0]]
    for topic in source.topics:
        number = ids.numbers[topic.name][0] if topic.name in ids.numbers else 0
        text = ' '.join(plain_text(runs) for _, runs, _ in topic.paragraphs)
        lines.append('topic\t%d\t%s\t%s\t%s' % (number, topic.name, topic.title[0], text))
        lines += ['keyword\t%s\t%s' % (keyword, topic.name) for keyword, _ in topic.keywords]
        for _, runs, _ in topic.paragraphs:
            for n, run in enumerate(runs):
                if run[0] == 'jump':
                    lines.append('jump\t%s\t%s\t%s\t%s' % (topic.name, run[1], run[2], plain_text(runs[:n])))
    return ('\r\n'.join(lines) + '\r\n').encode('cp1252')


def write(path, data):
    # Written whole under another name first: a failed build leaves no
    # half-written help file that a later step would take for a good one.
    partial = path + '.partial'
    with open(partial, 'wb') as out:
        out.write(data)
    os.replace(partial, path)


def main(argv):
    if len(argv) not in (4, 5):
        print(__doc__.strip().splitlines()[2], file=sys.stderr)
        return 2
    try:
        ids = read_help_ids(argv[1])
        source = read_help_source(argv[2])
        data = build(ids, source)
    except SourceError as error:
        print(error, file=sys.stderr)
        return 1
    except hlp.FormatError as error:
        # The source as a whole outgrew the format (a table larger than its
        # page): no one line is to blame.
        print('%s: %s' % (argv[2], error), file=sys.stderr)
        return 1
    write(argv[3], data)
    if len(argv) == 5:
        write(argv[4], listing(ids, source))
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
