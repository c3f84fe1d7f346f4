#!/usr/bin/perl
# Walks one tag of a production index with Perl XBase's .MDX reader and
# prints "record-number key-hex" for every entry, in the tag's order.
use strict;
use warnings;
use XBase::Index;

my ($mdx, $tag) = @ARGV;
my $index = XBase::Index->new($mdx, tag => $tag) or die XBase::Index->errstr;
$index->prepare_select;
while (my ($key, $recno) = $index->fetch) {
    print "$recno ", unpack("H*", $key), "\n";
}
